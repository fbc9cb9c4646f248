#include "platform/CommandLine.h"

bool IsBatchDelimiter(QChar c)
{
    return c == u' ' || c == u'\t' || c == u',' || c == u';' || c == u'=';
}

qsizetype SkipBatchDelimiters(const QString &text, qsizetype pos)
{
    while (pos < text.size() && IsBatchDelimiter(text[pos]))
        ++pos;
    return pos;
}

QString TakeBatchToken(const QString &text, qsizetype &pos)
{
    const qsizetype start = pos;
    bool quoted = false;
    for (; pos < text.size(); ++pos) {
        if (text[pos] == u'"')
            quoted = !quoted;
        else if (!quoted && IsBatchDelimiter(text[pos]))
            break;
    }
    return text.mid(start, pos - start);
}

QStringList SplitBatchArguments(const QString &text)
{
    QStringList arguments;
    for (qsizetype pos = SkipBatchDelimiters(text, 0); pos < text.size(); pos = SkipBatchDelimiters(text, pos))
        arguments.append(TakeBatchToken(text, pos));
    return arguments;
}
