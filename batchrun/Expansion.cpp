#include "batchrun/Expansion.h"

#include "batchrun/BatchErrors.h"

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

QString argument(const QStringList &arguments, QChar digit)
{
    return arguments.value(digit.unicode() - u'0');
}

QString withoutOuterQuotes(QString text)
{
    if (text.startsWith(u'"'))
        text.remove(0, 1);
    if (text.endsWith(u'"'))
        text.chop(1);
    return text;
}

} // namespace

QString ExpandPercents(const QString &line, const QStringList &arguments, const VariableLookup &variable)
{
    QString result;
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i] != u'%') {
            result += line[i++];
            continue;
        }
        const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
        if (next == u'%') {
            result += u'%';
            i += 2;
        } else if (next == u'*') {
            result += arguments.mid(1).join(u' ');
            i += 2;
        } else if (isDigit(next)) {
            result += argument(arguments, next);
            i += 2;
        } else if (next == u'~') {
            if (i + 2 >= line.size() || !isDigit(line[i + 2]))
                throw NotSupported(QStringLiteral("%~ modifiers other than %~1 (the argument without its quotes) are not supported"));
            result += withoutOuterQuotes(argument(arguments, line[i + 2]));
            i += 3;
        } else {
            const qsizetype end = line.indexOf(u'%', i + 1);
            if (end < 0) {
                ++i;
                continue;
            }
            const QString name = line.mid(i + 1, end - i - 1);
            if (name.contains(u':'))
                throw NotSupported(u'%' + name + QStringLiteral("% (substrings and replacements) is not supported"));
            result += variable(name).value_or(QString());
            i = end + 1;
        }
    }
    return result;
}
