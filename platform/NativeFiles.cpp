#include "platform/NativeFiles.h"

#include "platform/Failure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t EscapeBase = 0xDC00; // a raw byte b is kept as EscapeBase + b, b from 0x80 to 0xFF

bool isContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at the start of bytes (at most size long), 0 when there is
// none: no overlong forms, no surrogates, nothing beyond U+10FFFF.
int validSequence(const uchar *bytes, qsizetype size)
{
    const uchar lead = bytes[0];
    int length = 0;
    uchar low = 0x80;
    uchar high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || size < length || bytes[1] < low || bytes[1] > high)
        return 0;
    for (int i = 2; i < length; ++i)
        if (!isContinuation(bytes[i]))
            return 0;
    return length;
}

QString specialKind(mode_t mode)
{
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe (FIFO)");
    if (S_ISCHR(mode))
        return QStringLiteral("a character device");
    if (S_ISBLK(mode))
        return QStringLiteral("a block device");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    return {};
}

} // namespace

QString PathFromNative(const QByteArray &bytes)
{
    const QString plain = QString::fromUtf8(bytes);
    if (plain.toUtf8() == bytes)
        return plain;
    QString path;
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size();) {
        if (data[i] < 0x80) {
            path += QChar(char16_t(data[i++]));
        } else if (const int length = validSequence(data + i, bytes.size() - i)) {
            char32_t point = data[i] & (0x7F >> length);
            for (int k = 1; k < length; ++k)
                point = (point << 6) | (data[i + k] & 0x3F);
            path += QChar::fromUcs4(point);
            i += length;
        } else {
            path += QChar(char16_t(EscapeBase + data[i++]));
        }
    }
    return path;
}

std::optional<char> RawNameByte(QStringView path, qsizetype i)
{
    const char16_t unit = path[i].unicode();
    if (unit < EscapeBase + 0x80 || unit > EscapeBase + 0xFF || (i > 0 && path[i - 1].isHighSurrogate()))
        return std::nullopt;
    return char(unit - EscapeBase);
}

QByteArray NativePath(const QString &path)
{
    QByteArray bytes;
    qsizetype plainFrom = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const std::optional<char> raw = RawNameByte(path, i);
        if (!raw)
            continue;
        bytes += QStringView(path).mid(plainFrom, i - plainFrom).toUtf8();
        bytes += *raw;
        plainFrom = i + 1;
    }
    return bytes + QStringView(path).mid(plainFrom).toUtf8();
}

FileKind KindOf(const QString &path)
{
    struct stat status{};
    if (path.isEmpty() || path.contains(QChar(0)) || stat(NativePath(path).constData(), &status) != 0)
        return FileKind::Missing;
    if (S_ISREG(status.st_mode))
        return FileKind::Regular;
    return S_ISDIR(status.st_mode) ? FileKind::Folder : FileKind::Special;
}

QString SpecialFileKind(const QString &path)
{
    struct stat status{};
    if (path.isEmpty() || path.contains(QChar(0)) || stat(NativePath(path).constData(), &status) != 0)
        return {};
    return specialKind(status.st_mode);
}

RegularFileReader::RegularFileReader(const QString &path)
{
    if (path.contains(QChar(0)))
        throw Failure(QStringLiteral("no file has a NUL character in its name"));
    // Without O_NONBLOCK, opening a named pipe waits until something writes to it.
    fd_ = open(NativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        throw Failure(LastErrorText());
    struct stat status{};
    if (fstat(fd_, &status) != 0) {
        const Failure failure(LastErrorText());
        close(fd_);
        throw failure;
    }
    if (!S_ISREG(status.st_mode)) {
        close(fd_);
        throw Failure(S_ISDIR(status.st_mode) ? QStringLiteral("it is a folder, not a file")
                                              : QStringLiteral("it is %1, not a regular file").arg(specialKind(status.st_mode)));
    }
    size_ = status.st_size;
}

RegularFileReader::~RegularFileReader()
{
    close(fd_);
}

QByteArray RegularFileReader::read(qint64 max)
{
    QByteArray bytes(max, Qt::Uninitialized);
    ssize_t count = 0;
    while ((count = ::read(fd_, bytes.data(), size_t(max))) < 0 && errno == EINTR) {
    }
    if (count < 0)
        throw Failure(LastErrorText());
    bytes.truncate(count);
    return bytes;
}

QByteArray RegularFileReader::readAt(qint64 offset, qint64 count)
{
    QByteArray bytes(std::clamp<qint64>(count, 0, std::max<qint64>(size_ - offset, 0)), Qt::Uninitialized);
    qint64 got = 0;
    while (got < bytes.size()) {
        const ssize_t now = pread(fd_, bytes.data() + got, size_t(bytes.size() - got), off_t(offset + got));
        if (now < 0 && errno == EINTR)
            continue;
        if (now < 0)
            throw Failure(LastErrorText());
        if (now == 0)
            break;
        got += now;
    }
    bytes.truncate(got);
    return bytes;
}

QString LastErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
