#pragma once

#include "encoder/console/ConsoleReporter.h"
#include "encoder/folder/FolderTally.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/run/EncodeFile.h"

#include <QSet>
#include <QString>

// Whether a name ends like a Windows Media file, in any letter case.
bool HasAsfExtension(const QString &name);

// Throws Failure where no file may be written under the output's name: a named pipe or a device
// would be replaced by the file, a folder cannot be.
void RefuseSpecialOutput(const QString &output);

// Reports the failure being handled, of the file written to output: the utility's own as they say,
// any other (memory running out, say) as what it is. Called from a catch block.
FileOutcome ReportFailure(ConsoleReporter &console, const QString &output);

// What an earlier run left where this one would write the output.
struct EarlierOutput {
    QString path;         // made from the same source with the same settings, and whole; empty where none is
    bool differs = false; // from what was asked
    QStringList damaged;  // why outputs of the same source and settings were passed over, a sentence each
};

// Finds the output an earlier run made from the same source with the same settings where this run
// would write it: under the output's own name where it is as asked; where it differed, under the
// name EncodeOutput gave it, the output's own where that was free, else the first name beside it
// that no file has and no other output of the run takes (reserved). A file that does not read
// whole as its header promises is no such output.
EarlierOutput FindEarlierOutput(const EncodePlan &plan, const QString &output, const QSet<QString> &reserved);

// Writes one output, reads it back and compares it with the plan, and only then gives it its name.
// A file worse than asked never takes the place of an older one, nor the name of another output of
// the run (reserved). A stop is left for the caller to report: a folder run reports it once for all
// its files.
FileOutcome EncodeOutput(const SourceFacts &source, const EncodePlan &plan, const QString &output, ConsoleReporter &console,
                         CoreShare share, const QSet<QString> &reserved = {});
