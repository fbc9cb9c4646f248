#include "source/ProposedOutput.h"

#include "platform/PathHelpers.h"

QString ProposedOutputFile(const QString &source)
{
    const QString ext = ExtractFileExt(source).toUpper();
    if (ext == QLatin1String(".WAV"))
        return ChangeFileExt(source, QStringLiteral(".wma"));
    if (ext == QLatin1String(".AVI"))
        return ChangeFileExt(source, QStringLiteral(".wmv"));
    return {};
}
