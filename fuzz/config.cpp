// The utility's reading of its switches: a configuration file's text (or a command line) through
// ParseConfigText, ParseSettings and PlanEncode against a made-up source, as far as a refusal or a
// plan, with no file read or written and nothing encoded. The properties are what the encoder relies
// on when it gets a plan, and that every line the program writes reads back as the value it holds.
//
// Input: the text, then a few bytes at the end that choose the source's facts and whether the text is
// a file or a command line (one argument a line).
#include "encoder/asked/ConfigReader.h"
#include "encoder/asked/Settings.h"
#include "encoder/asked/SwitchCollector.h"
#include "encoder/plan/EncodePlan.h"
#include "fuzz/Require.h"
#include "params/ConfigFile.h"
#include "params/ParamNames.h"
#include "platform/NativeFiles.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cmath>

namespace {

const QString FileName = QStringLiteral("tmpconfig.weu");

AVRational positiveRational(FuzzedDataProvider &data)
{
    const int num = data.ConsumeIntegralInRange(1, INT_MAX);
    return AVRational{num, data.ConsumeIntegralInRange(1, INT_MAX)};
}

double length(FuzzedDataProvider &data)
{
    return data.ConsumeBool() ? 0.0 : data.ConsumeFloatingPointInRange(0.0, 1e9);
}

// A source as ProbeSource reports one: a picture of a positive size, a sound with a positive rate and
// channel count, or both; rates and lengths the file may leave unknown.
SourceFacts madeUpSource(FuzzedDataProvider &data)
{
    SourceFacts source;
    source.path = QStringLiteral("clip.avi");
    source.format = QStringLiteral("avi");
    const bool sound = data.ConsumeBool();
    if (!sound || data.ConsumeBool()) {
        PictureFacts picture;
        picture.width = data.ConsumeIntegralInRange(1, INT_MAX);
        picture.height = data.ConsumeIntegralInRange(1, INT_MAX);
        picture.sampleAspect = positiveRational(data);
        picture.frameRate = data.ConsumeBool() ? AVRational{0, 1} : positiveRational(data);
        picture.duration = length(data);
        source.picture = picture;
    }
    if (sound)
        source.sound = SoundFacts{1, QStringLiteral("pcm_s16le"), data.ConsumeIntegralInRange(1, INT_MAX),
                                  data.ConsumeIntegralInRange(1, 64), length(data)};
    source.duration = length(data);
    return source;
}

std::vector<Switch> commandLineSwitches(const QByteArray &text)
{
    QStringList arguments;
    for (QByteArray line : text.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        arguments.append(QString::fromLocal8Bit(line));
    }
    return CollectSwitches(arguments);
}

void checkSwitches(const std::vector<Switch> &switches)
{
    for (const Switch &item : switches)
        Require(ParamRow(item.name) != 0 && !item.origin.isEmpty(), "a switch read is one of the 23, with its origin",
                item.name + u' ' + item.origin);
}

void checkVideo(const PicturePlan &video, const PictureFacts &picture)
{
    const QString detail = QStringLiteral("%1x%2 at %3/%4 fps, %5 bit/s, buffer %6 ms")
                               .arg(video.width).arg(video.height).arg(video.frameRate.num).arg(video.frameRate.den)
                               .arg(video.bitRate).arg(video.bufferMs);
    Require(video.width >= 2 && video.width <= 4096 && video.height >= 2 && video.height <= 4096
                && video.width % 2 == 0 && video.height % 2 == 0,
            "the picture's sides are even, from 2 to 4096", detail);
    Require(video.frameRate.num > 0 && video.frameRate.den > 0, "the frame rate is positive", detail);
    Require(video.bitRate > 0 && video.bufferMs > 0 && video.keyDistance > 0 && video.quality >= 0 && video.quality <= 100,
            "bit rate, buffer, key distance and quality are in range", detail);
    if (video.crop) {
        const CropRect &crop = *video.crop;
        Require(crop.x >= 0 && crop.y >= 0 && crop.width >= 2 && crop.height >= 2
                    && qint64(crop.x) + crop.width <= picture.width && qint64(crop.y) + crop.height <= picture.height,
                "the kept rectangle lies inside the source picture",
                QStringLiteral("%1,%2 %3x%4 of %5x%6").arg(crop.x).arg(crop.y).arg(crop.width).arg(crop.height)
                    .arg(picture.width).arg(picture.height));
    }
}

void checkPlan(const EncodePlan &plan, const SourceFacts &source)
{
    Require(plan.picture || plan.sound, "a plan encodes a picture or a sound");
    if (plan.picture)
        checkVideo(*plan.picture, *source.picture);
    if (plan.sound)
        Require(plan.sound->bitRate >= LowestSoundBitRate && plan.sound->sampleRate > 0 && plan.sound->channels > 0,
                "the sound's format is one the encoder takes");
    Require(std::isfinite(plan.start) && plan.start >= 0 && std::isfinite(plan.duration) && plan.duration >= 0,
            "the section starts at or after 0 and lasts 0 s or more",
            QStringLiteral("start %1, duration %2").arg(plan.start).arg(plan.duration));
    if (plan.end)
        Require(*plan.end > plan.start, "the section ends after it starts");
    for (const QString &note : plan.notes)
        Require(!note.isEmpty(), "every note says something");
}

// The program writes each row as its switch name, one blank and the value; the utility reads that
// line back as the value, line breaks turned to blanks and one pair of outer quotes removed. A value
// holding the bytes of a name that is not UTF-8 reads back with the same bytes.
void checkWrittenLineReadsBack(const QByteArray &text)
{
    const QString value = PathFromNative(text);
    if (value.isEmpty())
        return;
    const int row = int(text.size() % ParamCount) + 1;
    const QString line = ConfigLine(row, value);
    const std::vector<Switch> read = ParseConfigText(NativePath(line) + "\r\n", FileName);
    QString expected = value;
    expected.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    Require(read.size() == 1 && read.front().name == ParamName(row) && read.front().value == Unquoted(expected),
            "a written line reads back as its value", line);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    FuzzedDataProvider data(bytes, size);
    const bool commandLine = data.ConsumeBool();
    const SourceFacts source = madeUpSource(data);
    const std::string rest = data.ConsumeRemainingBytesAsString();
    const QByteArray text(rest.data(), qsizetype(rest.size()));

    checkWrittenLineReadsBack(text);
    // A -config switch on the command line reads a file; that belongs to the tests, not to this target.
    if (commandLine && text.contains("-config"))
        return 0;
    try {
        const std::vector<Switch> switches = commandLine ? commandLineSwitches(text) : ParseConfigText(text, FileName);
        checkSwitches(switches);
        const Settings settings = ParseSettings(switches);
        checkPlan(PlanEncode(settings, source), source);
    } catch (const Failure &failure) {
        Require(!failure.message().isEmpty(), "a refusal says why");
    }
    return 0;
}
