#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

// The longest line the command interpreter takes, in characters, as read and after expansion.
constexpr qsizetype LongestLine = 8191;

// A batch file as the interpreter runs it.
struct Script {
    QString name;            // the name its reports give, as it was named
    QStringList lines;       // its lines without line ends; a line longer than LongestLine is empty here
    QSet<qsizetype> tooLong; // the indices of those lines, which end the script when they are reached
};

// A script from the bytes of a batch file in the locale's encoding: lines end with LF or CR LF, a
// carriage return anywhere is dropped, and the last line needs no line end.
Script ScriptFromText(const QString &name, const QByteArray &text);

// Reads the batch file at path a piece at a time, keeping no more of a line than it may hold, so that
// a huge line costs no memory. Throws Failure when it cannot be read or is no regular file: a named
// pipe or a device (a script pointing at /dev/zero) is never read.
Script LoadScript(const QString &name, const QString &path);

// The label a line defines (":name", with any blanks before it), or nothing when the line is no label.
// The name runs to the first blank or delimiter.
std::optional<QString> LabelOf(const QString &line);

// The index of the line that defines label (without regard to letter case), searched as the command
// interpreter searches: from the line after `from` to the end, then from the top.
std::optional<qsizetype> FindLabel(const Script &script, const QString &label, qsizetype from);
