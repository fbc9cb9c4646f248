#pragma once

#include <QString>
#include <optional>

// A length in seconds as whole seconds, an exact half going to the even neighbour (2.5 gives 2, 3.5
// gives 4), kept within the range of a track bar position.
int WholeSeconds(double seconds);

// The seconds a section box's text spells, with "." as the decimal point whatever the locale; nothing
// when the text is no valid number.
std::optional<double> ReadSeconds(const QString &text);

// The seconds a section box's text spells; a text that is no valid number throws Failure with the
// message of the error report: "'text' is not a valid floating point value".
double SecondsOrFailure(const QString &text);

// The source a section is chosen in, once the player knows its length: the length in seconds, and the
// end of the section track bars, which is the length in whole seconds.
struct SectionMedia {
    double length;
    int barsEnd;
};

// Whether a time typed into the start box (start) or the end box is acceptable, other being the text
// of the other box. It is refused when it would not keep the start before the end, or, with media,
// when a start does not lie inside the media or an end lies beyond where the track bars reach, which
// can be a little more than the media's own length (the bars of 3.5 seconds end at 4): the utility
// ends such a section at the end of the source. An other box showing "(default)" holds no time and is
// not compared. Throws Failure, as SecondsOrFailure does, when a text it must read is no number.
bool AcceptableSectionTime(bool start, const QString &typed, const QString &other, std::optional<SectionMedia> media);

// The milliseconds of a seconds text as a plain decimal integer, an exact half going to the even
// neighbour: "1.5" gives "1500". An empty text, "(default)" and a text that is no number give "0".
QString SecondsToMsText(const QString &text);

// The -time value: the start's and the end's milliseconds, separated by one blank.
QString SectionTimeValue(const QString &startText, const QString &endText);
