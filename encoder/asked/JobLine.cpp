#include "encoder/asked/JobLine.h"

#include "platform/NativeFiles.h"

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
