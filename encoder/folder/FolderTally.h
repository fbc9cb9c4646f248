#pragma once

#include <QString>
#include <QStringList>

// What became of one file of a run.
enum class FileOutcome {
    Encoded,  // written as asked
    AlreadyDone, // left alone: an earlier run wrote it as asked from the same source with the same settings
    Differs,  // written, but not as asked
    Failed,
    Stopped,  // under way when the run was stopped
    Skipped,  // not a sound or video file
    Spared,   // not encoded: its output would have written over a file of the source folder
    Reported, // reported on only: no output was asked for
};

// What became of the files of a folder source, by name.
struct FolderTally {
    QStringList encoded;
    QStringList alreadyDone;
    QStringList differing;
    QStringList failed;
    QStringList skipped;
    QStringList spared;
    QStringList notDone; // stopped under way, or never started because the run was stopped

    void add(FileOutcome outcome, const QString &name);
};
