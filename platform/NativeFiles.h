#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// File names on this system are bytes, usually UTF-8 but not always: a name copied from an old disk
// may hold "caf\xE9.wav". Such a byte is kept in a path as the character U+DC80 plus its value (a
// lone low surrogate, which no valid text holds), so that the path names the same file when it goes
// back to the system.
QString PathFromNative(const QByteArray &bytes);
QByteArray NativePath(const QString &path);

// The byte of a name that is not valid UTF-8, as PathFromNative keeps it, at position i of a path;
// nothing for any other character, the second half of a character beyond U+FFFF included (that half
// of U+1F4C1 is U+DCC1).
std::optional<char> RawNameByte(QStringView path, qsizetype i);

// What the last failed system call left in errno, in words.
QString LastErrorText();

// What a path names, links followed.
enum class FileKind { Missing, Regular, Folder, Special };
FileKind KindOf(const QString &path);

// A file that is neither a regular file nor a folder (a named pipe, a device, a socket) in words,
// such as "a named pipe (FIFO)"; empty for anything else. Opening such a file can wait for ever, or
// read for ever.
QString SpecialFileKind(const QString &path);

// A regular file open for reading. Opening never waits and never reads anything but a regular file:
// a named pipe, a device, a socket or a folder is refused.
class RegularFileReader {
public:
    // Throws Failure holding the reason alone ("it is a named pipe (FIFO), not a regular file").
    explicit RegularFileReader(const QString &path);
    ~RegularFileReader();
    RegularFileReader(const RegularFileReader &) = delete;
    RegularFileReader &operator=(const RegularFileReader &) = delete;

    qint64 size() const { return size_; }

    // Up to max bytes from where the last read ended; empty at the end of the file. Throws Failure
    // holding the reason alone.
    QByteArray read(qint64 max);

    // Up to count bytes from offset on, fewer only where the file ends, whatever was read before.
    // Throws Failure holding the reason alone.
    QByteArray readAt(qint64 offset, qint64 count);

private:
    int fd_ = -1;
    qint64 size_ = 0;
};
