#include "encoder/folder/FolderTally.h"

#include "encoder/asked/ExitCodes.h"

void FolderTally::add(FileOutcome outcome, const QString &name)
{
    switch (outcome) {
    case FileOutcome::Encoded: encoded += name; break;
    case FileOutcome::AlreadyDone: alreadyDone += name; break;
    case FileOutcome::Differs: differing += name; break;
    case FileOutcome::Failed: failed += name; break;
    case FileOutcome::Stopped: notDone += name; break;
    case FileOutcome::Skipped: skipped += name; break;
    case FileOutcome::Spared: spared += name; break;
    case FileOutcome::Reported: break;
    }
}

int FolderTally::exitCode() const
{
    if (!failed.isEmpty() || !spared.isEmpty() || !notDone.isEmpty())
        return ExitFailed;
    return differing.isEmpty() ? ExitDone : ExitDiffers;
}
