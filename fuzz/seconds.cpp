// The section times and the numeric boxes: seconds texts to milliseconds, whole numbers of margin
// boxes, which typed section times the window accepts, and the -time and -v_clip values the program
// writes, which the utility must read back as meant. Where a text is a plain decimal the result is
// checked against a computation in whole numbers.
//
// Input: texts, one a line (start, end, then the left, top, right and bottom margins); the last bytes
// give the picture's width and height, the media's length and whether the player knows it.
#include "encoder/asked/Settings.h"
#include "fuzz/Require.h"
#include "settings/VideoSettings.h"
#include "source/SectionTimes.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QRegularExpression>
#include <cmath>
#include <optional>

namespace {

bool isPlainInteger(const QString &text)
{
    static const QRegularExpression integer(QStringLiteral("^(0|-?[1-9][0-9]*)$"));
    return integer.match(text).hasMatch();
}

// The milliseconds of a plain decimal of seconds (up to nine whole digits and six decimals), worked
// out in whole numbers: an exact half goes to the even neighbour.
std::optional<qint64> plainMilliseconds(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^([0-9]{1,9})(?:\\.([0-9]{0,6}))?$"));
    const QRegularExpressionMatch match = decimal.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QString fraction = match.captured(2).leftJustified(6, u'0');
    const qint64 milliseconds = match.captured(1).toLongLong() * 1000 + fraction.left(3).toLongLong();
    const qint64 rest = fraction.mid(3).toLongLong(); // thousandths of a millisecond
    const bool up = rest > 500 || (rest == 500 && milliseconds % 2 == 1);
    return milliseconds + (up ? 1 : 0);
}

// The whole number of a text of an optional sign and decimal digits that fits an int; nothing for any
// other text.
std::optional<int> plainInt(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^([+-]?)([0-9]+)$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    qint64 value = 0;
    for (QChar digit : match.capturedView(2)) {
        value = value * 10 + (digit.unicode() - u'0');
        if (value > qint64(INT_MAX) + 1)
            return std::nullopt;
    }
    if (match.capturedView(1) == u"-")
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return std::nullopt;
    return int(value);
}

void checkSeconds(const QString &text)
{
    const QString milliseconds = SecondsToMsText(text);
    Require(isPlainInteger(milliseconds), "milliseconds are a plain decimal integer", text + QStringLiteral(" -> ") + milliseconds);
    if (const auto expected = plainMilliseconds(text))
        Require(milliseconds == QString::number(*expected), "milliseconds agree with whole-number arithmetic",
                text + QStringLiteral(" -> ") + milliseconds);
    if (const auto seconds = ReadSeconds(text)) {
        Require(std::isfinite(*seconds), "seconds read are finite", text);
        WholeSeconds(*seconds);
    }
}

void checkWholeNumber(const QString &text)
{
    const int value = SafeStrToInt(text);
    Require(value == plainInt(text).value_or(0), "a whole number is read as written, 0 when it is none",
            text + QStringLiteral(" -> ") + QString::number(value));
}

Settings readBack(const QString &name, const QString &value)
{
    return ParseSettings({{QStringLiteral("-input"), QStringLiteral("clip.avi"), QStringLiteral("test")},
                          {name, value, QStringLiteral("test")}});
}

// What a failed reading of a section box says, naming the text it could not read.
QString readingFailure(const QString &text)
{
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

// Whether AcceptableSectionTime takes a time typed into one box against the other's text; a failure
// must come from a text that is no number and name it.
std::optional<bool> acceptance(bool start, const QString &typed, const QString &other, std::optional<SectionMedia> media)
{
    try {
        return AcceptableSectionTime(start, typed, other, media);
    } catch (const Failure &failure) {
        Require(failure.message() == readingFailure(typed) || failure.message() == readingFailure(other),
                "a refused reading names the text it could not read", failure.message());
        Require(!ReadSeconds(typed) || !ReadSeconds(other), "only a text that is no number fails to be read",
                typed + u' ' + other);
        return std::nullopt;
    }
}

// An accepted start lies before the end and, with media, inside it; an accepted end lies after the
// start and no further than the track bars reach. Without media only the order counts, the same
// whichever box was typed into, and a box showing "(default)" lets any time through unread.
void checkSectionAcceptance(const QString &startText, const QString &endText, std::optional<SectionMedia> media)
{
    for (const bool start : {true, false}) {
        const QString &typed = start ? startText : endText;
        const QString &other = start ? endText : startText;
        const std::optional<bool> accepted = acceptance(start, typed, other, media);
        if (!media && other == QLatin1String("(default)"))
            Require(accepted == true, "a time against \"(default)\" is taken without a source", typed);
        if (accepted != true)
            continue;
        const auto seconds = ReadSeconds(typed);
        const auto otherSeconds = ReadSeconds(other);
        if (seconds && otherSeconds && other != QLatin1String("(default)"))
            Require(start ? *seconds < *otherSeconds : *seconds > *otherSeconds, "an accepted section starts before it ends",
                    startText + u' ' + endText);
        if (seconds && media)
            Require(start ? *seconds < media->length : *seconds <= qMax(media->length, double(media->barsEnd)),
                    "an accepted time lies where the track bars reach", typed);
    }
    if (!media && startText != QLatin1String("(default)") && endText != QLatin1String("(default)"))
        Require(acceptance(true, startText, endText, media) == acceptance(false, endText, startText, media),
                "without a source, a start and an end are judged by their order alone", startText + u' ' + endText);
}

// A section inside a day, its end after its start, is one the utility takes as written.
void checkSectionReadBack(const QString &start, const QString &end)
{
    const auto startMs = plainMilliseconds(start);
    const auto endMs = plainMilliseconds(end);
    if (!startMs || !endMs || *startMs >= *endMs || *endMs > 24 * 3600 * 1000)
        return;
    const QString value = SectionTimeValue(start, end);
    try {
        const Section section = *readBack(QStringLiteral("-time"), value).section;
        Require(section.startMs == *startMs && section.endMs == *endMs, "the utility reads the section as written", value);
    } catch (const Failure &failure) {
        Require(false, "the utility takes a section inside a day", value + u' ' + failure.message());
    }
}

// Margins as the boxes hold them (whole numbers written plainly) that leave some of the picture make a
// -v_clip value the utility takes. It takes pictures up to 100000 pixels a side.
void checkClipReadBack(const QStringList &margins, int width, int height)
{
    const QString value = ClipValue(margins[0], margins[1], margins[2], margins[3], width, height);
    if (width <= 0 || height <= 0)
        return;
    const QStringList fields = value.split(u' ');
    Require(isPlainInteger(fields.last()) && isPlainInteger(fields[fields.size() - 2]),
            "the kept rectangle's right and bottom edges are whole numbers", value);
    qint64 numbers[4];
    for (int i = 0; i < 4; ++i) {
        const std::optional<int> number = plainInt(margins[i]);
        if (!number || *number < 0 || margins[i] != QString::number(*number))
            return;
        numbers[i] = *number;
    }
    if (width > 100000 || height > 100000 || numbers[0] + numbers[2] >= width || numbers[1] + numbers[3] >= height)
        return;
    try {
        readBack(QStringLiteral("-v_clip"), value);
    } catch (const Failure &failure) {
        Require(false, "the utility takes margins inside the picture", value + u' ' + failure.message());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const int width = data.ConsumeIntegral<int>();
    const int height = data.ConsumeIntegral<int>();
    const double length = data.ConsumeFloatingPoint<double>();
    const bool lengthKnown = data.ConsumeBool() && length > 0;
    const std::optional<SectionMedia> media =
        lengthKnown ? std::optional<SectionMedia>(SectionMedia{length, WholeSeconds(length)}) : std::nullopt;
    const std::string rest = data.ConsumeRemainingBytesAsString();
    QStringList texts = QString::fromUtf8(rest.data(), qsizetype(rest.size())).split(u'\n');
    for (const QString &text : texts) {
        checkSeconds(text);
        checkWholeNumber(text);
    }
    while (texts.size() < 6)
        texts.append(QStringLiteral("0"));
    checkSectionAcceptance(texts[0], texts[1], media);
    checkSectionReadBack(texts[0], texts[1]);
    checkClipReadBack(texts.mid(2, 4), width, height);
    return 0;
}
