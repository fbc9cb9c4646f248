#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QDialog;

enum class MessageIcon { None, Information, Warning, Error };

// What a file dialog is asked to show. Filters are "description|pattern" pairs; the index of the
// preselected one starts at 1.
struct FileDialogSpec {
    QString title;
    QStringList filters;
    int filterIndex = 1;
    bool mustExist = false;          // the chosen file must exist (open dialogs)
    bool confirmOverwrite = false;   // ask before choosing an existing file (save dialogs)
};

// Every modal window the program shows goes through this interface, so that tests can answer them.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box with one OK button. "\r" in the text breaks the line.
    virtual void Message(const QString &title, const QString &text, MessageIcon icon) = 0;

    // The confirmed full file name, or nothing when the user cancelled.
    virtual std::optional<QString> OpenFile(const FileDialogSpec &spec) = 0;
    virtual std::optional<QString> SaveFile(const FileDialogSpec &spec) = 0;

    // The folder browser, opened in startFolder: the confirmed folder's full path, or nothing when
    // cancelled.
    virtual std::optional<QString> BrowseFolder(const QString &prompt, const QString &startFolder) = 0;

    // Shows one of the program's own dialog windows modally; returns its result (QDialog::Accepted
    // or QDialog::Rejected).
    virtual int Execute(QDialog &dialog) = 0;
};
