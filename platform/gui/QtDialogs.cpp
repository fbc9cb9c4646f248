#include "platform/gui/QtDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>

namespace {

QWidget *owner()
{
    QWidget *active = QApplication::activeWindow();
    return active ? active : QApplication::activeModalWidget();
}

QMessageBox::Icon toQt(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// "description|patterns" to Qt's "description (patterns)", with the patterns apart from the
// description: the dialog shows the description as written (patterns in it and all) and filters by the
// patterns, which Qt separates by blanks and matches without regard to letter case. "*.*" matches every
// file on Windows, also one without an extension, as "*" does here.
QStringList qtFilters(const FileDialogSpec &spec)
{
    QStringList filters;
    for (const QString &filter : spec.filters) {
        QStringList patterns = filter.section(u'|', 1).split(u';', Qt::SkipEmptyParts);
        patterns.replaceInStrings(QRegularExpression(QStringLiteral("^\\*\\.\\*$")), QStringLiteral("*"));
        filters.append(QStringLiteral("%1 (%2)").arg(filter.section(u'|', 0, 0), patterns.join(u' ')));
    }
    return filters;
}

std::optional<QString> runFileDialog(const FileDialogSpec &spec, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner());
    SetUpFileDialog(dialog, spec, mode);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(dialog.selectedFiles().constFirst());
}

} // namespace

void SetUpFileDialog(QFileDialog &dialog, const FileDialogSpec &spec, QFileDialog::AcceptMode mode)
{
    dialog.setWindowTitle(spec.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails;
    if (!spec.confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    dialog.setOptions(options);
    const QStringList filters = qtFilters(spec);
    dialog.setNameFilters(filters);
    if (spec.filterIndex >= 1 && spec.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[spec.filterIndex - 1]);
    dialog.setDefaultSuffix(QString());
}

void QtDialogs::Message(const QString &title, const QString &text, MessageIcon icon)
{
    QMessageBox box(toQt(icon), title, QString(text).replace(u'\r', u'\n'), QMessageBox::Ok, owner());
    box.exec();
}

std::optional<QString> QtDialogs::OpenFile(const FileDialogSpec &spec)
{
    return runFileDialog(spec, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::SaveFile(const FileDialogSpec &spec)
{
    return runFileDialog(spec, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogs::BrowseFolder(const QString &prompt, const QString &startFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(owner(), prompt, startFolder,
                                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

int QtDialogs::Execute(QDialog &dialog)
{
    return dialog.exec();
}
