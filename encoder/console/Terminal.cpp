#include "encoder/console/Terminal.h"

#include "platform/Failure.h"
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
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (isControl(unit) || RawNameByte(text, i))
            shown += QStringLiteral("\\x") + QString::number(unit & 0xFF, 16).toUpper().rightJustified(2, u'0');
        else
            shown += text[i];
    }
    return shown;
}

} // namespace

Terminal::Terminal() : out_(stdout), err_(stderr)
{
}

void Terminal::print(const std::vector<ConsoleLine> &shown)
{
    const std::lock_guard lock(mutex_);
    for (const ConsoleLine &line : shown) {
        endProgressLine();
        if (line.error) {
            lines().flush();
            err_ << visible(line.text) << '\n';
            err_.flush();
        } else {
            lines() << visible(line.text) << '\n';
        }
    }
    lines().flush();
}

void Terminal::progress(const QString &text, bool newLine)
{
    const std::lock_guard lock(mutex_);
    if (newLine)
        endProgressLine();
    // Blanks wipe what a longer line before left.
    lines() << '\r' << text.leftJustified(progressWidth_);
    lines().flush();
    progressWidth_ = text.size();
}

void Terminal::sendLinesToErrorStream()
{
    const std::lock_guard lock(mutex_);
    out_.flush();
    linesToErrorStream_ = true;
}

void Terminal::data(const QByteArray &line)
{
    const std::lock_guard lock(mutex_);
    out_.flush();
    const QByteArray bytes = line + '\n';
    if (std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) != size_t(bytes.size()) || std::fflush(stdout) != 0)
        throw Failure(QStringLiteral("The output cannot be written: %1.").arg(LastErrorText()));
}

void Terminal::endProgressLine()
{
    if (progressWidth_ > 0)
        lines() << '\n';
    progressWidth_ = 0;
}
