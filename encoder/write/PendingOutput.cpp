#include "encoder/write/PendingOutput.h"

#include "platform/Failure.h"
#include "platform/NativeFiles.h"
#include "platform/PathHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray PartSuffix = ".part";

// ".clip.wmv.<hex digits>.part" for the output clip.wmv.
bool isTemporaryName(const std::string &name, const QByteArray &prefix)
{
    const QByteArray bytes = QByteArray::fromStdString(name);
    if (!bytes.startsWith(prefix) || !bytes.endsWith(PartSuffix) || bytes.size() <= prefix.size() + PartSuffix.size())
        return false;
    const QByteArray middle = bytes.mid(prefix.size(), bytes.size() - prefix.size() - PartSuffix.size());
    return std::all_of(middle.begin(), middle.end(), [](char c) { return std::isxdigit(uchar(c)); });
}

// Removes the file when no one holds it locked, that is when the run that wrote it has ended.
bool removeUnlocked(const std::string &path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat held{};
    struct stat named{};
    // Still the file that was locked: the name may have been taken by another in between.
    const bool removed = flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &held) == 0 && S_ISREG(held.st_mode)
                      && lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev && held.st_ino == named.st_ino
                      && unlink(path.c_str()) == 0;
    close(fd);
    return removed;
}

// The hexadecimal digits of a 32-bit number at most, and the dots around them.
const qsizetype TemporaryNameExtra = 1 + 1 + 8 + PartSuffix.size();

// ".clip.wmv." for the output clip.wmv: the start of its temporary names. A name near the longest the
// folder takes is cut, at a character's start, so that the temporary name is legal wherever the
// final one is; outputs that share the cut start share their leftovers too, which only a run that has
// ended left.
QByteArray temporaryPrefix(const QFileInfo &output)
{
    QByteArray name = NativePath(output.fileName());
    const long longest = pathconf(NativePath(output.path()).constData(), _PC_NAME_MAX);
    const qsizetype room = (longest > 0 ? qsizetype(longest) : 255) - TemporaryNameExtra;
    if (name.size() > room) {
        qsizetype cut = std::max<qsizetype>(room, 1);
        while (cut > 1 && (uchar(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.truncate(cut);
    }
    return '.' + name + '.';
}

} // namespace

QString BesideName(const QString &path, const QString &marker, int number)
{
    const QString tag = number == 1 ? marker : QStringLiteral("%1.%2").arg(marker).arg(number);
    return ChangeFileExt(path, u'.' + tag + ExtractFileExt(path));
}

PendingOutput::PendingOutput(const QString &path) : path_(path), prefix_(temporaryPrefix(QFileInfo(path)))
{
    removeLeftovers();
    create();
}

PendingOutput::~PendingOutput()
{
    if (!committed_)
        unlink(NativePath(temporary_).constData());
    close(fd_);
}

void PendingOutput::removeLeftovers()
{
    const QFileInfo info(path_);
    std::error_code error;
    for (auto entry = std::filesystem::directory_iterator(NativePath(info.path()).toStdString(), error);
         !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        const std::string name = entry->path().filename().native();
        if (isTemporaryName(name, prefix_) && removeUnlocked(entry->path().native()))
            removed_ += PathFromNative(QByteArray::fromStdString(name));
    }
}

void PendingOutput::create()
{
    // Made by hand rather than by QTemporaryFile, whose files only their owner may read.
    const QFileInfo info(path_);
    while (fd_ < 0) {
        const QByteArray name = prefix_ + QByteArray::number(QRandomGenerator::global()->generate(), 16) + PartSuffix;
        const QString candidate = info.dir().filePath(PathFromNative(name));
        const int fd = open(NativePath(candidate).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            throw Failure(QStringLiteral("Cannot write %1: %2").arg(path_, LastErrorText()));
        // A file system without locks leaves the file unlocked, and then no later run removes it either.
        flock(fd, LOCK_EX);
        struct stat status{};
        if (fstat(fd, &status) == 0 && status.st_nlink == 0) {
            close(fd); // another run took it for a leftover before it was locked
            continue;
        }
        fd_ = fd;
        temporary_ = candidate;
    }
}

bool PendingOutput::moveTo(const QString &path, bool replace)
{
    const QByteArray from = NativePath(temporary_);
    const QByteArray to = NativePath(path);
    int result = replace ? std::rename(from.constData(), to.constData())
                         : renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    // A file system that cannot refuse to replace in one step is asked in two.
    if (result != 0 && !replace && errno == EINVAL) {
        if (KindOf(path) != FileKind::Missing)
            return false;
        result = std::rename(from.constData(), to.constData());
    }
    if (result != 0 && !replace && errno == EEXIST)
        return false;
    if (result != 0)
        throw Failure(QStringLiteral("Cannot write %1: %2").arg(path_, LastErrorText()));
    committed_ = true;
    return true;
}

void PendingOutput::commit()
{
    moveTo(path_, true);
}

QString PendingOutput::commitBeside(const QString &marker, const QSet<QString> &reserved)
{
    if (moveTo(path_, false))
        return path_;
    for (int number = 1;; ++number) {
        const QString beside = BesideName(path_, marker, number);
        if (!reserved.contains(beside) && moveTo(beside, false))
            return beside;
    }
}
