#include "platform/CommandLine.h"

namespace {

bool isArgumentDelimiter(QChar c)
{
    return c == u' ' || c == u'\t' || c == u',' || c == u';' || c == u'=';
}

} // namespace

QStringList SplitBatchArguments(const QString &text)
{
    QStringList arguments;
    QString current;
    bool quoted = false;
    bool inArgument = false;
    for (QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        if (!quoted && isArgumentDelimiter(c)) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
            continue;
        }
        current += c;
        inArgument = true;
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}
