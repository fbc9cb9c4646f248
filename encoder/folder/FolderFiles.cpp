#include "encoder/folder/FolderFiles.h"

#include "platform/NativeFiles.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

QStringList FilesIn(const QString &folder)
{
    // Listed with the system's own names: Qt would turn the bytes of a name that is not valid UTF-8
    // into replacement characters, and such a file could not be found again.
    QStringList files;
    std::error_code error;
    for (auto entry = std::filesystem::directory_iterator(NativePath(folder).toStdString(), error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const QString name = PathFromNative(QByteArray::fromStdString(entry->path().filename().native()));
        const QString path = QDir(folder).filePath(name);
        const FileKind kind = KindOf(path);
        if (!name.startsWith(u'.') && kind != FileKind::Folder && kind != FileKind::Missing)
            files += path;
    }
    std::sort(files.begin(), files.end());
    return files;
}

QString BatchOutputName(const QString &source, const QString &folder, const QString &appendage, bool picture)
{
    const QString name = QFileInfo(source).completeBaseName() + appendage + (picture ? QStringLiteral(".wmv") : QStringLiteral(".wma"));
    return QDir(folder).filePath(name);
}

std::optional<FileIdentity> IdentityOf(const QString &path)
{
    struct stat status{};
    if (path.contains(QChar(0)) || stat(NativePath(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{status.st_dev, status.st_ino};
}
