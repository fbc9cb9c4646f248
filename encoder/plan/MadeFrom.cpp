#include "encoder/plan/MadeFrom.h"

namespace {

QString sourcePart(const SourceFacts &source)
{
    return QStringLiteral("source of %1 bytes changed at %2 ns, its ends digested %3; settings ")
        .arg(source.size).arg(source.modifiedNs).arg(QString::fromLatin1(source.endsDigest.toHex()));
}

} // namespace

QString MadeFrom(const SourceFacts &source, const Settings &settings)
{
    return sourcePart(source) + SettingsDigest(settings);
}

bool MadeFromSource(const QString &madeFrom, const SourceFacts &source)
{
    return madeFrom.startsWith(sourcePart(source));
}

namespace {

const QString LengthPart = QStringLiteral("; gave ");
const QString LengthUnit = QStringLiteral(" s");

} // namespace

QString RecordWithLength(const QString &madeFrom, double seconds)
{
    return madeFrom + LengthPart + QString::number(seconds, 'f', 3) + LengthUnit;
}

Record ReadRecord(const QString &record)
{
    const qsizetype part = record.lastIndexOf(LengthPart);
    if (part < 0 || !record.endsWith(LengthUnit))
        return {record, std::nullopt};
    bool number = false;
    const double seconds = record.mid(part + LengthPart.size(), record.size() - part - LengthPart.size() - LengthUnit.size()).toDouble(&number);
    if (!number)
        return {record, std::nullopt};
    return {record.left(part), seconds};
}
