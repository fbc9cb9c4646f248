#pragma once

#include "encoder/console/ConsoleReporter.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/run/EncodeFile.h"
#include "encoder/run/FileOutcome.h"

#include <QSet>
#include <QString>

// Reports the failure being handled, of the file written to output: the utility's own as they say,
// any other (memory running out, say) as what it is. Called from a catch block.
FileOutcome ReportFailure(ConsoleReporter &console, const QString &output);

// Writes one output, reads it back and compares it with the plan, and only then gives it its name.
// A file worse than asked never takes the place of an older one, nor the name of another output of
// the run (reserved). A stop is left for the caller to report: a folder run reports it once for all
// its files.
FileOutcome EncodeOutput(const SourceFacts &source, const EncodePlan &plan, const QString &output, ConsoleReporter &console,
                         CoreShare share, const QSet<QString> &reserved = {});
