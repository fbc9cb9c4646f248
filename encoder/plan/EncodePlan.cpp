#include "encoder/plan/EncodePlan.h"

#include "encoder/plan/LeakyBucket.h"
#include "encoder/plan/MadeFrom.h"
#include "encoder/plan/PictureSize.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int DefaultPictureBitRate = 500000;
constexpr int DefaultQuality = 75;
constexpr int DefaultKeyDistance = 8;
constexpr int LowestProfilePictureRate = 8000;

// The encoder's buffer has to hold at least one whole frame at the bit rate. A source may claim a
// frame rate so low that one frame outlasts the longest buffer there is; that one is used then.
int shortestBuffer(AVRational frameRate)
{
    return int(std::min(std::ceil(1000.0 / av_q2d(frameRate)) + 1, double(INT_MAX)));
}


AVRational planFrameRate(const Settings &settings, const ProfilePicture *profile, AVRational source, QStringList &notes)
{
    AVRational rate = source;
    if (rate.num <= 0) {
        notes += QStringLiteral("The source does not tell its frame rate; 25 frames a second are assumed.");
        rate = AVRational{25, 1};
    }
    const Preprocessing method = settings.preprocessing.value_or(Preprocessing::None);
    if (method == Preprocessing::InverseTelecine)
        rate = av_mul_q(rate, AVRational{4, 5});
    if (method == Preprocessing::DeinterlaceHalfSizeDoubleRate || method == Preprocessing::DeinterlaceHalfHeightDoubleRate) {
        if (settings.frameRate)
            notes += QStringLiteral("-v_framerate is left aside: deinterlace method %1 doubles the frame rate.").arg(int(method));
        return av_mul_q(rate, AVRational{2, 1});
    }
    if (settings.frameRate)
        return *settings.frameRate;
    // A profile's frame rate is a ceiling: a slower source is not made to repeat its frames.
    if (!profile)
        return rate;
    const AVRational ceiling{profile->frameRate.frames, profile->frameRate.seconds};
    return av_cmp_q(ceiling, rate) < 0 ? ceiling : rate;
}

void noteUnusedRateSwitches(const Settings &settings, RateMode mode, QStringList &notes)
{
    const auto leftAside = [&](const QString &name) {
        notes += QStringLiteral("%1 is left aside in mode %2, which does not use it.").arg(name).arg(int(mode));
    };
    if (mode == RateMode::VbrQuality && settings.bitRate)
        leftAside(QStringLiteral("-v_bitrate"));
    if (mode == RateMode::VbrTwoPass && settings.quality)
        leftAside(QStringLiteral("-v_quality"));
    if ((mode == RateMode::VbrQuality || mode == RateMode::VbrTwoPass) && settings.bufferMs)
        leftAside(QStringLiteral("-v_buffer"));
}

PicturePlan planPicture(const Settings &settings, const PictureFacts &picture, QStringList &notes)
{
    const ProfilePicture *profile = settings.profile && settings.profile->picture ? &*settings.profile->picture : nullptr;
    PicturePlan video;
    video.codec = settings.codec.value_or(VideoCodec::Wmv8);
    video.preprocessing = settings.preprocessing.value_or(Preprocessing::None);
    video.rotation = picture.rotation;
    video.colour = picture.colour;
    if (picture.colour.hdr())
        notes += QStringLiteral("The picture is HDR: it is tone-mapped to standard dynamic range, as a Windows Media file "
                                "holds no other.");
    video.sourceWidth = picture.width;
    video.sourceHeight = picture.height;
    video.crop = PlanCrop(settings.clip, picture.width, picture.height, notes);
    const PictureSize kept = video.crop ? PictureSize{video.crop->width, video.crop->height} : PictureSize{picture.width, picture.height};
    const PictureSize size = PlanPictureSize(settings, profile, kept, picture.sampleAspect, video.squarePixels, notes);
    video.width = size.width;
    video.height = size.height;
    video.keptPixels = int64_t(kept.width) * kept.height;
    video.frameRate = planFrameRate(settings, profile, picture.frameRate, notes);
    video.mode = settings.mode.value_or(RateMode::CbrOnePass);
    video.bitRate = settings.bitRate.value_or(profile ? profile->bitRate : DefaultPictureBitRate);
    video.quality = settings.quality.value_or(DefaultQuality);
    video.keyDistance = settings.keyDistance.value_or(DefaultKeyDistance);
    video.bufferMs = settings.bufferMs.value_or(DefaultBufferMs);
    noteUnusedRateSwitches(settings, video.mode, notes);
    const int shortest = shortestBuffer(video.frameRate);
    if (video.usesBuffer() && video.bufferMs < shortest) {
        notes += QStringLiteral("A buffer of %1 ms holds less than one frame; %2 ms is used.").arg(video.bufferMs).arg(shortest);
        video.bufferMs = shortest;
    }
    return video;
}

// The sound the switches ask for: -a_setting, else the profile's, else the utility's default.
AudioSetting chosenSound(const Settings &settings)
{
    if (settings.audio)
        return *settings.audio;
    if (settings.profile)
        return settings.profile->audioCode ? AudioSetting{true, *AudioFormatFromCode(QLatin1String(settings.profile->audioCode))}
                                           : AudioSetting{false, {}};
    return {true, *AudioFormatFromCode(DefaultAudioCode())};
}

std::optional<AudioFormat> planSound(const Settings &settings, const SourceFacts &source, QStringList &notes)
{
    const AudioSetting chosen = chosenSound(settings);
    if (!source.sound) {
        if (settings.audio && settings.audio->sound)
            notes += QStringLiteral("The source has no sound; -a_setting is left aside.");
        return std::nullopt;
    }
    if (!chosen.sound)
        return std::nullopt;
    AudioFormat format = chosen.format;
    if (format.bitRate < LowestSoundBitRate) {
        notes += QStringLiteral("Sound at %1 kbit/s is below what the WMA encoder takes; it is encoded at %2 kbit/s, "
                                "still at %3 Hz with %4 channel(s).")
                     .arg(format.bitRate / 1000).arg(LowestSoundBitRate / 1000).arg(format.sampleRate).arg(format.channels);
        format.bitRate = LowestSoundBitRate;
    }
    return format;
}

// A profile's picture and sound add up to the rate in its name. Where the sound has to be raised to
// the encoder's lowest rate, the picture gives up the difference, so that the file keeps that
// total; a picture the profile sets the rate of is never cut below a few frames a second of its
// small size, and the file then says plainly what it will be.
void keepProfileTotal(EncodePlan &plan, const Settings &settings)
{
    if (!plan.picture || !plan.sound || !settings.profile || !settings.profile->picture || settings.bitRate
        || plan.picture->mode == RateMode::VbrQuality)
        return;
    const int askedSound = chosenSound(settings).format.bitRate;
    const int raise = plan.sound->bitRate - askedSound;
    if (raise <= 0)
        return;
    const int total = plan.picture->bitRate + askedSound;
    const int picture = std::max(plan.picture->bitRate - raise, LowestProfilePictureRate);
    if (picture + plan.sound->bitRate == total)
        plan.notes += QStringLiteral("The picture gives up the %1 kbit/s the sound was raised by, %2 kbit/s instead of %3, so that "
                                     "the file keeps its %4 kbit/s in all.")
                          .arg(raise / 1000).arg(picture / 1000).arg(plan.picture->bitRate / 1000).arg(total / 1000);
    else
        plan.notes += QStringLiteral("The profile %1 makes files of %2 kbit/s in all, but its sound alone takes %3 kbit/s at the "
                                     "least: the file will be about %4 kbit/s, %3 for the sound and %5 for the picture.")
                          .arg(QLatin1String(settings.profile->name)).arg(total / 1000).arg(plan.sound->bitRate / 1000)
                          .arg((picture + plan.sound->bitRate) / 1000).arg(picture / 1000);
    plan.picture->bitRate = picture;
}

void planSection(EncodePlan &plan, const Settings &settings, const SourceFacts &source)
{
    // The streams taken, from where the first starts to where the last ends, in seconds from the
    // file's start: a section may start wherever one of them still runs.
    double first = 0;
    double length = 0;
    const auto take = [&](double start, double duration) {
        if (duration <= 0)
            return;
        first = length > 0 ? std::min(first, start) : start;
        length = std::max(length, start + duration);
    };
    if (plan.picture)
        take(source.picture->start, source.picture->duration);
    if (plan.sound)
        take(source.sound->start, source.sound->duration);
    if (length <= 0) {
        first = 0;
        length = source.duration;
    }
    plan.duration = length - first;
    if (!settings.section)
        return;
    const QString value = QStringLiteral("%1 %2").arg(settings.section->startMs).arg(settings.section->endMs);
    plan.start = settings.section->startMs / 1000.0;
    if (length > 0 && plan.start >= length)
        throw Failure(QStringLiteral("-time \"%1\" starts at or after the end of the source, which lasts %2 s.")
                          .arg(value, QString::number(length, 'f', 3)));
    if (settings.section->endMs != 0) {
        const double end = settings.section->endMs / 1000.0;
        if (length > 0 && end > length)
            plan.notes += QStringLiteral("-time \"%1\" ends after the end of the source; the section runs to its end at %2 s.")
                              .arg(value, QString::number(length, 'f', 3));
        else
            plan.end = end;
    }
    plan.duration = length > 0 || plan.end ? plan.end.value_or(length) - plan.start : 0;
}

QStringList clockNotes(const SourceClock &clock)
{
    QStringList notes;
    if (!clock.shifts.empty())
        notes += QStringLiteral("The source's clock starts again part way, as in recordings joined end to end: its %1 parts are "
                                "encoded one after the other, %2 s in all.")
                     .arg(clock.shifts.size())
                     .arg(QString::number(clock.seconds, 'f', 3));
    qsizetype damaged = 0;
    for (const auto &stream : clock.damaged)
        damaged += qsizetype(stream.second.size());
    if (damaged == 1)
        notes += QStringLiteral("One of the source's packets carries a damaged time, far from those around it; players pass "
                                "over it, and so does the encode.");
    else if (damaged > 1)
        notes += QStringLiteral("%1 of the source's packets carry damaged times, far from those around them; players pass "
                                "over them, and so does the encode.").arg(damaged);
    return notes;
}

QString nothingToEncode(const SourceFacts &source)
{
    if (source.picture && source.sound)
        return QStringLiteral("Nothing to encode: the settings leave out both the picture and the sound.");
    return source.picture ? QStringLiteral("Nothing to encode: the settings leave out the source's picture, and it has no sound.")
                          : QStringLiteral("Nothing to encode: the settings leave out the source's sound, and it has no picture.");
}

} // namespace

int PicturePlan::keyFrameInterval() const
{
    return std::max(1, int(std::lround(keyDistance * av_q2d(frameRate))));
}

double DurationTolerance(const EncodePlan &plan)
{
    return 0.1 + (plan.picture ? 1 / av_q2d(plan.picture->frameRate) : 0) + (plan.sound ? 0.05 : 0);
}

double LengthToExpect(const EncodePlan &plan, double encoded)
{
    const bool longerThanSection = plan.end && encoded > plan.duration;
    if (longerThanSection || std::abs(encoded - plan.duration) <= DurationTolerance(plan))
        return plan.duration;
    return encoded;
}

double PicturePlan::bufferBits() const
{
    return BufferBits(bitRate, bufferMs);
}

StreamRate PicturePlan::declaredRate() const
{
    return usesBuffer() ? StreamRate{bitRate, bufferMs} : StreamRate{std::nullopt, DefaultBufferMs};
}

StreamRate SoundRate(const AudioFormat &format, int frameSamples)
{
    return {format.bitRate, int(std::ceil(1000.0 * frameSamples / format.sampleRate))};
}


EncodePlan PlanEncode(const Settings &settings, const SourceFacts &source)
{
    EncodePlan plan;
    plan.content = settings.content;
    plan.madeFrom = MadeFrom(source, settings);
    plan.madeNs = source.modifiedNs;
    plan.clockMended = source.clock.mends();
    plan.notes += clockNotes(source.clock);
    const bool pictureWanted = !settings.profile || settings.profile->picture;
    if (source.picture && pictureWanted)
        plan.picture = planPicture(settings, *source.picture, plan.notes);
    else if (source.picture)
        plan.notes += QStringLiteral("The profile %1 makes files without a picture; the source's picture is left out.")
                          .arg(QLatin1String(settings.profile->name));
    else if (settings.hasPictureSwitch())
        plan.notes += QStringLiteral("The source has no picture; the picture settings are left aside.");
    plan.sound = planSound(settings, source, plan.notes);
    if (!plan.picture && !plan.sound)
        throw Failure(nothingToEncode(source));
    keepProfileTotal(plan, settings);
    planSection(plan, settings, source);
    return plan;
}
