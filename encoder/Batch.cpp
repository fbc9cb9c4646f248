#include "encoder/Batch.h"

#include <QDir>
#include <QFileInfo>

QStringList FilesIn(const QString &folder)
{
    QStringList files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        files += dir.filePath(name);
    return files;
}

QString BatchOutputName(const QString &source, const QString &folder, const QString &appendage, bool picture)
{
    const QString name = QFileInfo(source).completeBaseName() + appendage + (picture ? QStringLiteral(".wmv") : QStringLiteral(".wma"));
    return QDir(folder).filePath(name);
}
