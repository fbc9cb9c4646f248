#pragma once

#include <QString>

// Texts an edit box shows in place of a value. StoreParam stores an empty value for a box whose whole
// text is one of them, and the handlers put them back into a box left empty.
inline constexpr QLatin1String DefaultPlaceholder("(default)");
inline constexpr QLatin1String NoFilePlaceholder("(No file selected)");

inline bool IsPlaceholder(const QString &text)
{
    return text == DefaultPlaceholder || text == NoFilePlaceholder;
}
