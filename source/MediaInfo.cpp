#include "source/MediaInfo.h"

namespace {

// A number in its shortest form to 15 significant digits: 12.5, 60.
QString generalNumber(double value)
{
    return QString::number(value, 'g', 15);
}

} // namespace

QStringList MediaInfoLines(const MediaFacts &facts)
{
    QStringList lines = {QStringLiteral("Duration: ") + generalNumber(facts.duration) + QStringLiteral(" seconds")};
    if (facts.width > 0 && facts.height > 0) {
        lines.append(QStringLiteral("Height: ") + QString::number(facts.height));
        lines.append(QStringLiteral("Width: ") + QString::number(facts.width));
    }
    if (facts.bitRate > 0)
        lines.append(QStringLiteral("Bandwidth: ") + QString::number(facts.bitRate) + QStringLiteral("bps"));
    return lines;
}
