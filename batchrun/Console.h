#pragma once

#include <QString>

// The terminal a script talks to.
class Console {
public:
    virtual ~Console() = default;
    // Text on standard output, at once: a program started next writes after it.
    virtual void Print(const QString &text) = 0;
    virtual void PrintError(const QString &text) = 0;
    // Waits for one key when there is a user to press one.
    virtual void WaitForKey() = 0;
};
