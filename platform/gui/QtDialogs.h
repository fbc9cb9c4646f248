#pragma once

#include "platform/gui/Dialogs.h"

#include <QFileDialog>

// The real dialogs: Qt's message boxes, file dialogs and folder browser, owned by the active window.
class QtDialogs : public Dialogs {
public:
    void Message(const QString &title, const QString &text, MessageIcon icon) override;
    std::optional<QString> OpenFile(const FileDialogSpec &spec) override;
    std::optional<QString> SaveFile(const FileDialogSpec &spec) override;
    std::optional<QString> BrowseFolder(const QString &prompt, const QString &startFolder) override;
    int Execute(QDialog &dialog) override;
};

// Makes dialog the file dialog spec asks for: its title, filters and options.
void SetUpFileDialog(QFileDialog &dialog, const FileDialogSpec &spec, QFileDialog::AcceptMode mode);
