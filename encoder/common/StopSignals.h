#pragma once

#include "platform/Failure.h"

// Ctrl+C, a closed terminal window or a plain kill ask the utility to stop. Whatever it is doing
// then ends at once, reading a file included, and removes what it had written, instead of dying half
// way through a file. A file too large for the user's file size limit fails with a message rather
// than ending the utility, and output piped to a program that has ended is let go.
void WatchStopSignals();

bool StopRequested();

// What ends the work once a stop was asked for.
class Stopped : public Failure {
public:
    Stopped() : Failure(QStringLiteral("Stopped before the end.")) {}
};

// Throws Stopped when a stop was asked for.
void StopIfRequested();
