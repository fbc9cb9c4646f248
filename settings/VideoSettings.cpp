#include "settings/VideoSettings.h"

#include <QRegularExpression>
#include <array>

std::optional<EncodingModeRow> EncodingMode(int index)
{
    static const std::array<EncodingModeRow, 5> Modes = {{
        {QString(), -1, true, true, true},
        {QStringLiteral("0"), 75, true, true, true},
        {QStringLiteral("1"), 75, true, true, true},
        {QStringLiteral("2"), 85, false, false, true},
        {QStringLiteral("3"), -1, true, false, false},
    }};
    if (index < 0 || index >= int(Modes.size()))
        return std::nullopt;
    return Modes[index];
}

QString FramerateOfRow(int index)
{
    static const std::array<const char *, 7> Rates = {"", "15", "23.976", "24", "25", "29.970", "30"};
    return index >= 0 && index < int(Rates.size()) ? QString::fromLatin1(Rates[index]) : QString();
}

std::optional<DeinterlaceMethodRow> DeinterlaceMethod(int index)
{
    static const std::array<DeinterlaceMethodRow, 5> Methods = {{
        {false, false, false},
        {true, true, false},
        {true, true, true},
        {false, true, true},
        {false, false, false},
    }};
    if (index < 0 || index >= int(Methods.size()))
        return std::nullopt;
    return Methods[index];
}

QString PreprocValue(int methodIndex, bool deinterlace)
{
    return deinterlace ? QString::number(methodIndex + 1) : QStringLiteral("0");
}

int SafeStrToInt(const QString &text)
{
    static const QRegularExpression wholeNumber(QStringLiteral("^[+-]?[0-9]+$"));
    if (!wholeNumber.match(text).hasMatch())
        return 0;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : 0;
}

QString ClipValue(const QString &left, const QString &top, const QString &right, const QString &bottom, int width,
                  int height)
{
    const QString keptRight = width > 0 && height > 0 ? QString::number(qint64(width) - SafeStrToInt(right)) : right;
    const QString keptBottom = width > 0 && height > 0 ? QString::number(qint64(height) - SafeStrToInt(bottom)) : bottom;
    return QStringList{left, top, keptRight, keptBottom}.join(u' ');
}

bool NoClipping(const QString &left, const QString &top, const QString &right, const QString &bottom)
{
    const QLatin1String zero("0");
    return left == zero && top == zero && right == zero && bottom == zero;
}
