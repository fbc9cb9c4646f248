#pragma once

#include "platform/gui/Shell.h"

#include <QList>

// Records what the program asks the shell to open.
class FakeShell : public Shell {
public:
    struct Call {
        QString file;
        QString parameters;
        QString folder;
        int showMode;
    };

    void Open(const QString &file, const QString &parameters, const QString &folder, int showMode) override
    {
        calls.append({file, parameters, folder, showMode});
    }

    QList<Call> calls;
};
