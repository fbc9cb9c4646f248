#include "FakeDialogs.h"

#include <QCoreApplication>
#include <QDialog>

void FakeDialogs::Message(const QString &title, const QString &text, MessageIcon icon)
{
    messages.append({title, text, icon});
    if (onMessage)
        onMessage(messages.back());
}

namespace {

std::optional<QString> nextAnswer(QStringList &answers)
{
    const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
    if (answer.isNull())
        return std::nullopt;
    return std::make_optional(answer);
}

} // namespace

std::optional<QString> FakeDialogs::OpenFile(const FileDialogSpec &spec)
{
    fileDialogs.append(spec);
    return nextAnswer(fileAnswers);
}

std::optional<QString> FakeDialogs::SaveFile(const FileDialogSpec &spec)
{
    return OpenFile(spec);
}

std::optional<QString> FakeDialogs::BrowseFolder(const QString &prompt, const QString &startFolder)
{
    folderPrompts.append(prompt);
    folderStarts.append(startFolder);
    return nextAnswer(folderAnswers);
}

int FakeDialogs::Execute(QDialog &dialog)
{
    ++executed;
    dialog.show();
    QCoreApplication::processEvents();
    int result = QDialog::Rejected;
    if (!dialogActions.empty()) {
        const DialogAction action = std::move(dialogActions.front());
        dialogActions.pop_front();
        result = action(dialog);
    }
    dialog.hide();
    return result;
}
