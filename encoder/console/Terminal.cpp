#include "encoder/console/Terminal.h"

#include "platform/NativeFiles.h"

#include <cstdio>

namespace {

bool isControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7F && unit <= 0x9F);
}

QString visible(const QString &text)
{
    QString shown;
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        if (isControl(unit) || RawNameByte(c))
            shown += QStringLiteral("\\x") + QString::number(unit & 0xFF, 16).toUpper().rightJustified(2, u'0');
        else
            shown += c;
    }
    return shown;
}

} // namespace

Terminal::Terminal() : out_(stdout), err_(stderr)
{
}

void Terminal::print(const std::vector<ConsoleLine> &lines)
{
    const std::lock_guard lock(mutex_);
    for (const ConsoleLine &line : lines) {
        endProgressLine();
        if (line.error) {
            out_.flush();
            err_ << visible(line.text) << '\n';
            err_.flush();
        } else {
            out_ << visible(line.text) << '\n';
        }
    }
    out_.flush();
}

void Terminal::progress(const QString &text, bool newLine)
{
    const std::lock_guard lock(mutex_);
    if (newLine)
        endProgressLine();
    // Blanks wipe what a longer line before left.
    out_ << '\r' << text.leftJustified(progressWidth_);
    out_.flush();
    progressWidth_ = text.size();
}

void Terminal::endProgressLine()
{
    if (progressWidth_ > 0)
        out_ << '\n';
    progressWidth_ = 0;
}
