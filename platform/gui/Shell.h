#pragma once

#include <QString>

// The desktop's "open": a batch file runs in a terminal window, anything else (a help file, a web
// address) goes to the desktop's opener. The program neither waits for it nor reads anything back.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void Open(const QString &file, const QString &parameters, const QString &folder, int showMode) = 0;
};

// Asks the shell to open file with the parameter text, in the working folder; every caller passes the
// show mode 1 (a normally shown window). The outcome is not examined.
void RunProgram(const QString &file, const QString &parameters, const QString &folder, int showMode);
