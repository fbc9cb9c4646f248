#include "source/MediaInfo.h"

QString GeneralNumber(double value)
{
    return QString::number(value, 'g', 15);
}

QStringList MediaInfoLines(const MediaFacts &facts)
{
    QStringList lines = {QStringLiteral("Duration: ") + GeneralNumber(facts.duration) + QStringLiteral(" seconds")};
    if (facts.width > 0 && facts.height > 0) {
        lines.append(QStringLiteral("Height: ") + QString::number(facts.height));
        lines.append(QStringLiteral("Width: ") + QString::number(facts.width));
    }
    if (facts.bitRate > 0)
        lines.append(QStringLiteral("Bandwidth: ") + QString::number(facts.bitRate) + QStringLiteral("bps"));
    return lines;
}
