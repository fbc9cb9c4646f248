#pragma once

#include "batchrun/Console.h"

// The console on the process's standard input, output and error.
class TerminalConsole : public Console {
public:
    void Print(const QString &text) override;
    void PrintError(const QString &text) override;
    // On a terminal: reads one key in raw mode, without echo; keys typed before are dropped, and so is
    // the rest of a key that sends several characters. Otherwise it does not wait.
    void WaitForKey() override;
};
