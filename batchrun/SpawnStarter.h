#pragma once

#include "batchrun/ProgramStarter.h"

// Starts programs as processes of their own that share the interpreter's terminal. While one runs,
// Ctrl+C and Ctrl+\ reach only the program (the script then goes on, as after any other end of it);
// a program ended by a signal gives 128 and the signal's number as its exit code.
class SpawnStarter : public ProgramStarter {
public:
    int Run(const QString &program, const QStringList &arguments, const QString &folder,
            const QStringList &environment) override;
};
