#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/plan/EncodePlan.h"

#include <QLatin1String>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// What is checked about an output before it is written: that its name may be written, and what an
// earlier run left under it. What is checked after, the file read back against the plan, is the
// check stage's.

// Whether a name ends like a Windows Media file, in any letter case.
bool HasAsfExtension(const QString &name);

// Throws Failure where no file may be written under the output's name: a named pipe or a device
// would be replaced by the file, a folder cannot be.
void RefuseSpecialOutput(const QString &output);

// Throws Failure naming the output when the folder it is to be written in does not exist.
void CheckOutputFolder(const QString &path);

// Throws Failure where the output of a source file may not be written: it is the source itself, a
// folder, a special file, or in a folder that does not exist.
void CheckFileOutput(const Settings &settings);

// A note where the output's name does not end like a Windows Media file, which it is whatever its name.
std::optional<QString> ContainerNameNote(const QString &output);

// Makes the output folder of a source folder; throws Failure where the output is a file, or names
// one (ends like a Windows Media file), or the folder cannot be made.
void PrepareFolderOutput(const Settings &settings);

// Whether the file is an output that the utility wrote from the source, with whatever settings.
bool IsOutputOf(const QString &file, const QString &source);

// What marks the name of an output that differs from what was asked, written beside an older file.
inline constexpr QLatin1String DiffersMarker("differs");

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
