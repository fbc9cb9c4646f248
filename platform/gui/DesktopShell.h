#pragma once

#include "platform/gui/Shell.h"


// The real shell. A batch file (.bat, .cmd) runs in a new terminal window: the one named by
// $TERMINAL, else x-terminal-emulator, else xterm, running the batch interpreter on the file with the
// parameter text split into batch arguments, in the working folder given. Anything else goes to
// xdg-open. Nothing is waited for; a message box says when the chosen terminal cannot be started, and
// what was tried when nothing could be.
class DesktopShell : public Shell {
public:
    explicit DesktopShell(QString interpreterPath);

    void Open(const QString &file, const QString &parameters, const QString &folder, int showMode) override;

private:
    void OpenBatchFile(const QString &file, const QString &parameters, const QString &folder);
    void OpenDocument(const QString &file, const QString &folder);

    QString interpreterPath_;
};
