#pragma once

#include <QString>
#include <QStringList>

// Starts the programs a script runs.
class ProgramStarter {
public:
    virtual ~ProgramStarter() = default;
    // Runs program with arguments in folder with the environment ("NAME=value" entries), on the
    // interpreter's own terminal, and waits for it to end. Returns its exit code; throws Failure with
    // the reason when it cannot be started.
    virtual int Run(const QString &program, const QStringList &arguments, const QString &folder,
                    const QStringList &environment) = 0;
};
