#include "batchrun/Script.h"

#include "platform/CommandLine.h"
#include "platform/Failure.h"
#include "platform/NativeFiles.h"


namespace {

// A character takes at most three bytes of UTF-8 for each UTF-16 unit it counts as, so a line of
// more bytes than this is too long whatever it holds.
constexpr qsizetype LongestLineBytes = 3 * LongestLine;

// Splits a script's bytes into lines as they arrive, keeping no more of a line than it may hold.
class LineSplitter {
public:
    explicit LineSplitter(Script &script) : script_(script) {}

    void add(QByteArrayView bytes)
    {
        for (qsizetype end; (end = bytes.indexOf('\n')) >= 0; bytes = bytes.sliced(end + 1)) {
            take(bytes.first(end));
            endLine();
        }
        take(bytes);
    }

    // The last line needs no line end.
    void finish()
    {
        if (!line_.isEmpty() || overflow_)
            endLine();
    }

private:
    void take(QByteArrayView part)
    {
        QByteArray piece = part.toByteArray();
        piece.replace('\r', QByteArray());
        const qsizetype room = LongestLineBytes - line_.size();
        line_ += piece.left(room);
        overflow_ = overflow_ || piece.size() > room;
    }

    void endLine()
    {
        QString text = QString::fromLocal8Bit(line_);
        if (overflow_ || text.size() > LongestLine) {
            script_.tooLong.insert(script_.lines.size());
            text.clear();
        }
        script_.lines.append(text);
        line_.clear();
        overflow_ = false;
    }

    Script &script_;
    QByteArray line_;
    bool overflow_ = false;
};

} // namespace

Script ScriptFromText(const QString &name, const QByteArray &text)
{
    Script script{name, {}, {}};
    LineSplitter lines(script);
    lines.add(text);
    lines.finish();
    return script;
}

Script LoadScript(const QString &name, const QString &path)
{
    constexpr qint64 Piece = 64 * 1024;
    Script script{name, {}, {}};
    LineSplitter lines(script);
    try {
        RegularFileReader file(path);
        for (QByteArray piece = file.read(Piece); !piece.isEmpty(); piece = file.read(Piece))
            lines.add(piece);
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("cannot read %1: %2").arg(name, failure.message()));
    }
    lines.finish();
    return script;
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
