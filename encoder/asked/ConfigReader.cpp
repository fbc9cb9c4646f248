#include "encoder/asked/ConfigReader.h"

#include "params/ParamNames.h"
#include "platform/Failure.h"
#include "platform/NativeFiles.h"

#include <QStringList>

namespace {

QString knownSwitches()
{
    QStringList names;
    for (int row = 1; row <= ParamCount; ++row)
        names.append(ParamName(row));
    return names.join(QStringLiteral(", "));
}

Switch parseLine(const QString &line, const QString &origin)
{
    const qsizetype blank = line.indexOf(u' ');
    const QString name = blank < 0 ? line : line.left(blank);
    if (ParamRow(name) == 0)
        throw UnknownSwitch(origin, name);
    if (blank < 0 || blank + 1 == line.size())
        throw Failure(QStringLiteral("%1: the switch %2 has no value; a line holds the switch name, one blank and "
                                     "the value.").arg(origin, name));
    return {name, Unquoted(line.mid(blank + 1)), origin};
}

} // namespace

Failure UnknownSwitch(const QString &origin, const QString &name)
{
    return Failure(QStringLiteral("%1: unknown switch \"%2\"; the switches are %3.").arg(origin, name, knownSwitches()));
}

QString Unquoted(const QString &value)
{
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        return value.mid(1, value.size() - 2);
    return value;
}

std::vector<Switch> ParseConfigText(const QByteArray &text, const QString &fileName)
{
    // A file saved by an editor that marks UTF-8 with a byte-order mark reads as without one.
    static const QByteArray byteOrderMark("\xEF\xBB\xBF");
    std::vector<Switch> switches;
    const QList<QByteArray> lines = (text.startsWith(byteOrderMark) ? text.mid(3) : text).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty())
            continue;
        // A path may name a file whose name is not valid UTF-8; its bytes are kept.
        switches.push_back(parseLine(PathFromNative(line), QStringLiteral("%1, line %2").arg(fileName).arg(i + 1)));
    }
    return switches;
}

std::vector<Switch> ReadConfigFile(const QString &path)
{
    const auto cannotRead = [&path](const QString &reason) {
        return Failure(QStringLiteral("Cannot read the configuration file %1: %2.").arg(path, reason));
    };
    QByteArray text;
    try {
        RegularFileReader file(path);
        // The file may grow while it is read; nothing beyond the limit is read.
        while (text.size() <= LargestConfigFile) {
            const QByteArray chunk = file.read(LargestConfigFile + 1 - text.size());
            if (chunk.isEmpty())
                break;
            text += chunk;
        }
    } catch (const Failure &failure) {
        throw cannotRead(failure.message());
    }
    if (text.size() > LargestConfigFile)
        throw cannotRead(QStringLiteral("it is larger than %1 bytes, far more than the 23 switches of a configuration "
                                        "take").arg(LargestConfigFile));
    return ParseConfigText(text, path);
}
