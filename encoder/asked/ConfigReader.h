#pragma once

#include "platform/Failure.h"

#include <QByteArray>
#include <QString>
#include <vector>

// One switch as the utility was given it: its name, its value with one pair of outer double quotes
// removed, and where it came from, for messages ("tmpconfig.weu, line 3").
struct Switch {
    QString name;
    QString value;
    QString origin;
};

// Parses the text of a configuration file: one switch per line, the switch name, one blank and the
// value; CR LF and LF line ends alike, blank lines and a leading UTF-8 byte-order mark ignored.
// Throws Failure naming the file and the line for an unknown switch or a line of another form.
std::vector<Switch> ParseConfigText(const QByteArray &text, const QString &fileName);

// The largest configuration file read, in bytes: 23 switches of the longest values the program's
// boxes hold fit several times over.
constexpr qint64 LargestConfigFile = 4 * 1024 * 1024;

// Reads and parses a configuration file; throws Failure when it cannot be read, is no regular file
// (a named pipe or a device is never opened for reading) or is larger than LargestConfigFile.
std::vector<Switch> ReadConfigFile(const QString &path);

// The failure for a name that is none of the 23 switches, listing them.
Failure UnknownSwitch(const QString &origin, const QString &name);

// The value without one pair of outer double quotes.
QString Unquoted(const QString &value);
