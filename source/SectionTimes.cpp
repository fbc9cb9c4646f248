#include "source/SectionTimes.h"

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

std::optional<double> ReadSeconds(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?\\s*$"));
    if (!number.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double seconds = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(seconds))
        return std::nullopt;
    return seconds;
}

QString SecondsToMsText(const QString &text)
{
    const double seconds = text == QLatin1String("(default)") ? 0 : ReadSeconds(text).value_or(0);
    // Adding zero turns a negative zero into zero, which prints without its sign.
    const double milliseconds = std::nearbyint(seconds * 1000) + 0.0;
    return QString::number(std::isfinite(milliseconds) ? milliseconds : 0, 'f', 0);
}

QString SectionTimeValue(const QString &startText, const QString &endText)
{
    return SecondsToMsText(startText) + u' ' + SecondsToMsText(endText);
}
