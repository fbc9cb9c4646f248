#include "batchrun/BatchText.h"

QString PlainText(const QString &text)
{
    QString plain = text;
    return plain.replace(TextQuote, u'"');
}

QString ProtectInnerQuotes(const QString &argument)
{
    if (argument.size() < 2 || !argument.startsWith(u'"') || !argument.endsWith(u'"'))
        return argument;
    QString inner = argument.mid(1, argument.size() - 2);
    return u'"' + inner.replace(u'"', TextQuote) + u'"';
}

QString WithoutQuotes(const QString &token)
{
    QString name = token;
    return PlainText(name.remove(u'"'));
}
