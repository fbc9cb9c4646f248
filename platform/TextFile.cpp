#include "platform/TextFile.h"

#include "platform/Failure.h"
#include "platform/NativeFiles.h"

#include <QSaveFile>

void SaveLinesToFile(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += NativePath(line) + "\r\n";

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(QStringLiteral("Cannot create file %1").arg(path));
}
