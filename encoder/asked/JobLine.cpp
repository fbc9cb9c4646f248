#include "encoder/asked/JobLine.h"

#include "params/ParamNames.h"
#include "platform/Failure.h"
#include "platform/NativeFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>

namespace {

bool isOctalDigit(char c)
{
    return c >= '0' && c <= '7';
}

// The argument as it was before JobWord wrote it.
QString unescaped(const QString &argument)
{
    const QByteArray written = NativePath(argument);
    QByteArray bytes;
    for (qsizetype i = 0; i < written.size(); ++i) {
        const QByteArray digits = written.mid(i + 1, 3);
        if (written[i] == '\\' && digits.size() == 3 && digits[0] <= '3' && std::all_of(digits.begin(), digits.end(), isOctalDigit)) {
            bytes += char(digits.toInt(nullptr, 8));
            i += 3;
        } else {
            bytes += written[i];
        }
    }
    return PathFromNative(bytes);
}

} // namespace

QByteArray JobWord(const QByteArray &bytes)
{
    QByteArray word("'");
    for (const char c : bytes) {
        const auto byte = uchar(c);
        if (byte < 0x20 || byte > 0x7E || c == '\\' || c == '\'')
            word += '\\' + QByteArray::number(byte, 8).rightJustified(3, '0');
        else
            word += c;
    }
    return word + '\'';
}

std::optional<JobArguments> ReadJobArguments(const QStringList &arguments)
{
    if (arguments.size() < 2 || arguments.first() != QLatin1String(JobOption))
        return std::nullopt;
    JobArguments job{unescaped(arguments[1]), {}};
    for (const QString &argument : arguments.mid(2))
        job.rest += unescaped(argument);
    return job;
}

QByteArray JobProgramWord()
{
    const QString program = QCoreApplication::applicationFilePath();
    if (std::any_of(program.begin(), program.end(), [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; }))
        throw Failure(QStringLiteral("The utility's own path holds a line break or another control character, which a "
                                     "job's line cannot hold; install it under another name."));
    return '\'' + NativePath(program).replace('\'', "'\\''") + '\'';
}

QByteArray JobLine(const QByteArray &program, const QString &file, const Settings &settings)
{
    QByteArray line = program + ' ' + JobOption + ' ' + JobWord(NativePath(QFileInfo(file).fileName()));
    const auto add = [&line](int row, const QString &value) {
        line += ' ' + ParamName(row).toUtf8() + ' ' + JobWord(NativePath(u'"' + value + u'"'));
    };
    add(RowInput, QFileInfo(settings.input).absoluteFilePath());
    add(RowOutput, QFileInfo(settings.output).absoluteFilePath());
    if (!settings.outputString.isEmpty())
        add(RowOutputString, settings.outputString);
    for (const Switch &item : settings.encodeSwitches)
        add(ParamRow(item.name), item.value);
    return line;
}
