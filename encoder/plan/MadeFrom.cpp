#include "encoder/plan/MadeFrom.h"

QString MadeFrom(const SourceFacts &source, const Settings &settings)
{
    return QStringLiteral("source of %1 bytes changed at %2 ns; settings %3")
        .arg(source.size).arg(source.modifiedNs).arg(SettingsDigest(settings));
}
