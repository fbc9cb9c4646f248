#include "source/SectionTimes.h"

#include "params/Placeholders.h"
#include "platform/Failure.h"

#include <QLocale>
#include <QRegularExpression>
#include <climits>
#include <cmath>

int WholeSeconds(double seconds)
{
    if (std::isnan(seconds))
        return 0;
    const double rounded = std::nearbyint(seconds);
    if (rounded >= double(INT_MAX))
        return INT_MAX;
    if (rounded <= double(INT_MIN))
        return INT_MIN;
    return int(rounded);
}

namespace {

// A seconds text: blanks around it, a sign, digits with at most one "." among them (at least one
// digit), an exponent. The captures are the sign, the whole digits, the decimals and the exponent.
QRegularExpressionMatch matchSeconds(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?)(?=\\.?[0-9])([0-9]*)(?:\\.([0-9]*))?([eE][+-]?[0-9]+)?\\s*$"));
    return number.match(text);
}

std::optional<double> finiteNumber(const QString &text)
{
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

std::optional<double> ReadSeconds(const QString &text)
{
    const QRegularExpressionMatch match = matchSeconds(text);
    if (!match.hasMatch())
        return std::nullopt;
    return finiteNumber(text.trimmed());
}

double SecondsOrFailure(const QString &text)
{
    if (const auto seconds = ReadSeconds(text))
        return *seconds;
    throw Failure(QStringLiteral("'%1' is not a valid floating point value").arg(text));
}

bool AcceptableSectionTime(bool start, const QString &typed, const QString &other, std::optional<SectionMedia> media)
{
    const bool otherTimed = other != DefaultPlaceholder;
    if (!otherTimed && !media)
        return true;
    const double seconds = SecondsOrFailure(typed);
    if (media) {
        const double lastEnd = qMax(media->length, double(media->barsEnd));
        if (start ? seconds >= media->length : seconds > lastEnd)
            return false;
    }
    if (!otherTimed)
        return true;
    const double otherSeconds = SecondsOrFailure(other);
    return start ? seconds < otherSeconds : seconds > otherSeconds;
}

// The decimal point moves three places to the right in the text itself, so that the milliseconds are
// read exactly as the decimal spells them: 4.0025 s is exactly 4002.5 ms and goes to the even 4002,
// where 4.0025 in binary times 1000 lands a little above the half and would give 4003.
QString SecondsToMsText(const QString &text)
{
    const QRegularExpressionMatch match = matchSeconds(text);
    if (text == DefaultPlaceholder || !match.hasMatch())
        return QStringLiteral("0");
    const QString decimals = match.captured(3).leftJustified(3, u'0');
    QString milliseconds = match.captured(1) + match.captured(2) + decimals.left(3);
    if (decimals.size() > 3)
        milliseconds += u'.' + decimals.mid(3);
    // Adding zero turns a negative zero into zero, which prints without its sign.
    const double rounded = std::nearbyint(finiteNumber(milliseconds + match.captured(4)).value_or(0)) + 0.0;
    return QString::number(rounded, 'f', 0);
}

QString SectionTimeValue(const QString &startText, const QString &endText)
{
    return SecondsToMsText(startText) + u' ' + SecondsToMsText(endText);
}
