#pragma once

#include "encoder/asked/ExitCodes.h"

// What became of one file of a run.
enum class FileOutcome {
    Encoded,  // written as asked
    AlreadyDone, // left alone: an earlier run wrote it as asked from the same source with the same settings
    Differs,  // written, but not as asked; or left alone, an earlier run having written it so
    Failed,
    Stopped,  // under way when the run was stopped
    Skipped,  // not a sound or video file
    Spared,   // not encoded: its output would have written over a file of the source folder
    Reported, // reported on only: no output was asked for
};

// The exit code of a run of one file with this outcome.
inline int ExitCodeOf(FileOutcome outcome)
{
    switch (outcome) {
    case FileOutcome::Encoded:
    case FileOutcome::AlreadyDone:
    case FileOutcome::Reported: return ExitDone;
    case FileOutcome::Differs: return ExitDiffers;
    default: return ExitFailed;
    }
}
