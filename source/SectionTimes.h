#pragma once

#include <QString>
#include <optional>

// A length in seconds as whole seconds, an exact half going to the even neighbour (2.5 gives 2, 3.5
// gives 4), kept within the range of a track bar position.
int WholeSeconds(double seconds);

// The seconds a section box's text spells, with "." as the decimal point whatever the locale; nothing
// when the text is no valid number.
std::optional<double> ReadSeconds(const QString &text);

// The milliseconds of a seconds text as a plain decimal integer, an exact half going to the even
// neighbour: "1.5" gives "1500". An empty text, "(default)" and a text that is no number give "0".
QString SecondsToMsText(const QString &text);

// The -time value: the start's and the end's milliseconds, separated by one blank.
QString SectionTimeValue(const QString &startText, const QString &endText);
