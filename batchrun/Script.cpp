#include "batchrun/Script.h"

#include "platform/CommandLine.h"
#include "platform/Failure.h"

#include <QFile>

Script ScriptFromText(const QString &name, const QByteArray &text)
{
    QString content = QString::fromLocal8Bit(text);
    content.remove(u'\r');
    QStringList lines = content.split(u'\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    return {name, lines};
}

Script LoadScript(const QString &name, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("cannot read %1: %2").arg(name, file.errorString()));
    return ScriptFromText(name, file.readAll());
}

std::optional<QString> LabelOf(const QString &line)
{
    qsizetype pos = SkipBatchDelimiters(line, 0);
    if (pos == line.size() || line[pos] != u':')
        return std::nullopt;
    const qsizetype start = ++pos;
    while (pos < line.size() && !IsBatchDelimiter(line[pos]))
        ++pos;
    return line.mid(start, pos - start);
}

std::optional<qsizetype> FindLabel(const Script &script, const QString &label, qsizetype from)
{
    const qsizetype count = script.lines.size();
    for (qsizetype step = 1; step <= count; ++step) {
        const qsizetype index = (from + step) % count;
        const std::optional<QString> defined = LabelOf(script.lines[index]);
        if (defined && defined->compare(label, Qt::CaseInsensitive) == 0)
            return index;
    }
    return std::nullopt;
}
