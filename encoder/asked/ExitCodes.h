#pragma once

// The utility's exit codes.
enum ExitCode {
    ExitDone = 0,
    ExitRefused = 1, // a switch, a value, the source or the output was refused before any encoding
    ExitUsage = 2,   // no arguments at all
    ExitFailed = 3,  // an encode failed or was stopped (in a folder: at least one file, or one left alone to spare a source)
    ExitDiffers = 4, // an output was written but differs from what was asked
};
