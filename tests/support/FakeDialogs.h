#pragma once

#include "platform/gui/Dialogs.h"

#include <QList>
#include <deque>
#include <functional>

// Records every message and dialog the program shows and answers them from queues; an empty queue
// answers "cancelled". No real modal window is ever opened.
class FakeDialogs : public Dialogs {
public:
    struct Shown {
        QString title;
        QString text;
        MessageIcon icon;
    };
    // What a modal dialog does while "shown": it acts on the dialog and returns its result.
    using DialogAction = std::function<int(QDialog &)>;

    void Message(const QString &title, const QString &text, MessageIcon icon) override;
    std::optional<QString> OpenFile(const FileDialogSpec &spec) override;
    std::optional<QString> SaveFile(const FileDialogSpec &spec) override;
    std::optional<QString> BrowseFolder(const QString &prompt, const QString &startFolder) override;
    int Execute(QDialog &dialog) override;

    QList<Shown> messages;
    QList<FileDialogSpec> fileDialogs;
    QStringList folderPrompts;
    QStringList folderStarts;   // the folder each folder browser opened in
    int executed = 0;

    // Answers of the file dialogs and the folder browser, in order; a null text answers "cancelled".
    QStringList fileAnswers;
    QStringList folderAnswers;
    std::deque<DialogAction> dialogActions;
    // Run for each message as it is shown, for tests that look at the program's state at that moment.
    std::function<void(const Shown &)> onMessage;
};
