#pragma once

#include "encoder/run/FileOutcome.h"

#include <QString>
#include <QStringList>

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

    // The run's exit code: failed where a file failed, was left alone to spare a source, or was not
    // done; differing where one differs; done otherwise.
    int exitCode() const;
};
