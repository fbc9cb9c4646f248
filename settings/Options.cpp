#include "settings/Options.h"

QString RemoveChar(const QString &text, QChar character)
{
    return QString(text).remove(character);
}

CodecButton CodecButtonFor(const QString &row)
{
    if (row == QLatin1String("WMV7"))
        return CodecButton::V7;
    if (row.isEmpty() || row == QLatin1String("WMV8"))
        return CodecButton::V8;
    return CodecButton::Neither;
}

std::optional<QString> CodecRowFor(CodecButton checked)
{
    switch (checked) {
    case CodecButton::V8: return QString();
    case CodecButton::V7: return QStringLiteral("WMV7");
    case CodecButton::Neither: break;
    }
    return std::nullopt;
}
