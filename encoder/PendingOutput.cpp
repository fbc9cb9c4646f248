#include "encoder/PendingOutput.h"

#include "platform/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <cstring>

PendingOutput::PendingOutput(const QString &path) : path_(path)
{
    const QFileInfo info(path);
    if (!info.dir().exists())
        throw Failure(QStringLiteral("Cannot write %1: the folder %2 does not exist.").arg(path, info.dir().path()));
    // Made by hand rather than by QTemporaryFile, whose files only their owner may read.
    while (temporary_.isEmpty()) {
        const QString suffix = QString::number(QRandomGenerator::global()->generate(), 16);
        QFile file(info.dir().filePath(QStringLiteral(".%1.%2.part").arg(info.fileName(), suffix)));
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            temporary_ = file.fileName();
        else if (!file.exists())
            throw Failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    }
}

PendingOutput::~PendingOutput()
{
    if (!committed_)
        QFile::remove(temporary_);
}

void PendingOutput::commit()
{
    // rename replaces an existing file in one step, where QFile::rename would refuse.
    if (std::rename(QFile::encodeName(temporary_).constData(), QFile::encodeName(path_).constData()) != 0)
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(path_, QString::fromLocal8Bit(std::strerror(errno))));
    committed_ = true;
}
