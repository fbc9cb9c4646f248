#include "platform/QtDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <QStandardPaths>

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

// "description|pattern" to Qt's "description (patterns)". Qt splits patterns at blanks, and "*.*"
// matches every file on Windows, also one without an extension, as "*" does here.
QStringList qtFilters(const FileDialogSpec &spec)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)$"));
    QStringList filters;
    for (const QString &filter : spec.filters) {
        QStringList patterns = filter.section(u'|', 1).split(u';', Qt::SkipEmptyParts);
        patterns.replaceInStrings(QRegularExpression(QStringLiteral("^\\*\\.\\*$")), QStringLiteral("*"));
        const QString description = filter.section(u'|', 0, 0).remove(trailingPatterns);
        filters.append(QStringLiteral("%1 (%2)").arg(description, patterns.join(u' ')));
    }
    return filters;
}

std::optional<QString> runFileDialog(const FileDialogSpec &spec, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(owner(), spec.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = qtFilters(spec);
    dialog.setNameFilters(filters);
    if (spec.filterIndex >= 1 && spec.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[spec.filterIndex - 1]);
    QFileDialog::Options options = QFileDialog::DontUseNativeDialog;
    if (!spec.confirmOverwrite)
        options |= QFileDialog::DontConfirmOverwrite;
    dialog.setOptions(options);
    dialog.setDefaultSuffix(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(dialog.selectedFiles().constFirst());
}

} // namespace

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

std::optional<QString> QtDialogs::BrowseFolder(const QString &prompt)
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    const QString folder = QFileDialog::getExistingDirectory(owner(), prompt, desktop,
                                                             QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

int QtDialogs::Execute(QDialog &dialog)
{
    return dialog.exec();
}
