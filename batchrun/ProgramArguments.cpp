#include "batchrun/ProgramArguments.h"

QStringList SplitProgramArguments(const QString &text)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == u'\\') {
            qsizetype end = i;
            while (end < text.size() && text[end] == u'\\')
                ++end;
            const qsizetype count = end - i;
            const bool beforeQuote = end < text.size() && text[end] == u'"';
            current += QString(beforeQuote ? count / 2 : count, u'\\');
            if (beforeQuote && count % 2 == 1) {
                current += u'"';
                ++end;
            }
            inArgument = true;
            i = end;
        } else if (c == u'"') {
            if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
                current += u'"';
                ++i;
            }
            quoted = !quoted;
            inArgument = true;
            ++i;
        } else if (!quoted && (c == u' ' || c == u'\t')) {
            if (inArgument)
                arguments.append(current);
            current.clear();
            inArgument = false;
            ++i;
        } else {
            current += c;
            inArgument = true;
            ++i;
        }
    }
    if (inArgument)
        arguments.append(current);
    return arguments;
}
