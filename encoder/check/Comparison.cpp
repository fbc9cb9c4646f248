#include "encoder/check/Comparison.h"

#include "encoder/encode/StreamEncoder.h"
#include "encoder/plan/MadeFrom.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

QString fps(double rate)
{
    return QString::number(rate, 'f', 3);
}

// Within the sound's tolerance: over the file, no more than a tenth off the rate. A picture well
// under its rate is told of past the same share.
constexpr double RateTolerance = 0.1;

// What a player of the file receives the picture at and waits for: the rate the file declares for
// its picture, and the file's preroll.
struct PlayerBucket {
    double bitRate = 0;
    int bufferMs = 0;
    double bits() const { return BufferBits(bitRate, bufferMs); }
};

std::optional<PlayerBucket> declaredBucket(const WrittenFile &file)
{
    const DeclaredStream *picture = file.declared ? file.declared->picture() : nullptr;
    if (!picture || !picture->bitRate || *picture->bitRate == 0)
        return std::nullopt;
    return PlayerBucket{double(*picture->bitRate), int(file.declared->prerollMs)};
}

// How far past the buffer the picture may go: one frame's share of the rate, as a frame's bits
// come in over the time it is shown, or 3 % of the buffer where that is more, for timestamps kept
// to the millisecond and the rate keeper's guess at the size of the next frame.
double bufferAllowance(const PlayerBucket &bucket, const PicturePlan &video)
{
    return std::max(bucket.bitRate / av_q2d(video.frameRate), 0.03 * bucket.bits());
}

// Whether every frame starts a whole number of frames at this rate after the first: frames dropped
// to hold a constant rate leave the others in their places. Timestamps are kept to the millisecond.
bool onFrameGrid(const std::vector<TimedFrame> &frames, double rate)
{
    return std::all_of(frames.begin(), frames.end(), [&](const TimedFrame &frame) {
        const double steps = (frame.seconds - frames.front().seconds) * rate;
        return std::abs(steps - std::round(steps)) / rate <= 0.001;
    });
}

// The picture's bit rate from its first frame to the end of its last, which lasts one frame.
double pictureBitRate(const WrittenPicture &picture, double frameRate)
{
    const double length = picture.frames.back().seconds - picture.frames.front().seconds + 1 / frameRate;
    return double(picture.bytes) * 8 / length;
}

QString kbits(double bitRate)
{
    return QStringLiteral("%1 kbit/s").arg(QString::number(bitRate / 1000, 'f', 1));
}

bool withinRate(double written, double asked)
{
    return std::abs(written - asked) <= asked * RateTolerance;
}

// The picture of a file that was asked for at a constant rate; nothing for other pictures.
const WrittenPicture *constantRatePicture(const EncodePlan &plan, const WrittenFile &file)
{
    if (!plan.picture || !plan.picture->usesBuffer() || !file.picture || file.picture->frames.empty())
        return nullptr;
    return &*file.picture;
}

// Why the encode could not keep the picture within its buffer, and what would help.
QString overrunCause(const PicturePlan &video, const RateRecord &rate)
{
    const QString help = QStringLiteral(" A smaller picture, a lower frame rate or a higher bit rate would help.");
    if (rate.raisedBitRate)
        return QStringLiteral("Two passes could not fit it into %1 even at the coarsest quantiser, and encoded it at %2, the "
                              "lowest rate that holds it.").arg(kbits(video.bitRate), kbits(*rate.raisedBitRate)) + help;
    if (rate.coarsest > 0) {
        QString text = QStringLiteral("Even at its coarsest, the encoder needs more for %1x%2 at %3 fps")
                           .arg(video.width).arg(video.height).arg(fps(av_q2d(video.frameRate)));
        if (rate.dropped > 0)
            text += QStringLiteral(", with %1 of %2 frames dropped").arg(rate.dropped).arg(rate.frames + rate.dropped);
        return text + u'.' + help;
    }
    return QStringLiteral("The encoder's rate control let it run over, short of its coarsest quantiser. "
                          "A longer buffer would help.");
}

// Where and why a player of the file would have to wait longest, if anywhere.
std::optional<QString> waitDifference(const PicturePlan &video, const WrittenPicture &picture, const PlayerBucket &bucket,
                                      const RateRecord &rate)
{
    const double buffer = bucket.bits();
    const Fullest fullest = FullestPoint(picture.frames, bucket.bitRate);
    if (fullest.bits <= buffer + bufferAllowance(bucket, video))
        return std::nullopt;
    QString text = QStringLiteral("The picture stream does not keep to %1 with a %2 ms buffer: at %3 s, a player that receives "
                                  "it at that rate would have to wait %4 s")
                       .arg(kbits(bucket.bitRate)).arg(bucket.bufferMs)
                       .arg(QString::number(fullest.seconds, 'f', 2),
                            QString::number((fullest.bits - buffer) / bucket.bitRate, 'f', 2));
    if (const double frame = picture.frames[fullest.frame].bits; frame > buffer)
        text += QStringLiteral(", the frame there alone being %1 kbit, more than the buffer's %2 kbit")
                    .arg(QString::number(frame / 1000, 'f', 1), QString::number(buffer / 1000, 'f', 1));
    return text + QStringLiteral(". ") + overrunCause(video, rate);
}

// How a picture at a constant rate differs from what was asked, as its file declares it to players
// and as a player of it would play it.
QStringList pictureRateDifferences(const PicturePlan &video, const WrittenFile &file, const RateRecord &rate)
{
    const std::optional<PlayerBucket> bucket = declaredBucket(file);
    if (!bucket)
        return {QStringLiteral("The file's header does not declare the rate and buffer of its picture, which players wait for.")};
    QStringList differences;
    if (bucket->bitRate != video.bitRate) {
        QString text = QStringLiteral("The file declares its picture at %1; %2 was asked for.").arg(kbits(bucket->bitRate), kbits(video.bitRate));
        if (rate.raisedBitRate)
            text += u' ' + overrunCause(video, rate);
        differences += text;
    }
    if (const DeclaredStream *picture = file.declared->picture(); picture->bufferMs != uint32_t(video.bufferMs))
        differences += QStringLiteral("The file declares a buffer of %1 ms for its picture; %2 ms was asked for.")
                           .arg(picture->bufferMs.value_or(0)).arg(video.bufferMs);
    if (bucket->bufferMs < video.bufferMs)
        differences += QStringLiteral("The file's preroll is %1 ms, shorter than the buffer of %2 ms asked for: a player would "
                                      "start before the buffer is full.").arg(bucket->bufferMs).arg(video.bufferMs);
    if (const std::optional<QString> wait = waitDifference(video, *file.picture, *bucket, rate))
        differences += *wait;
    return differences;
}

void comparePicture(const PicturePlan &video, const std::optional<WrittenPicture> &picture, QStringList &differences)
{
    if (!picture) {
        differences += QStringLiteral("The file has no picture stream, though one was asked for.");
        return;
    }
    if (const QLatin1String asked(EncoderName(video.codec)); picture->codec != asked)
        differences += QStringLiteral("The picture codec is %1; %2 was asked for.").arg(picture->codec, asked);
    if (picture->width != video.width || picture->height != video.height)
        differences += QStringLiteral("The picture is %1x%2; %3x%4 was asked for.")
                           .arg(picture->width).arg(picture->height).arg(video.width).arg(video.height);
    if (picture->frames.empty())
        differences += QStringLiteral("The picture stream holds no frames: nothing of the source's picture could be "
                                      "decoded for the section asked for.");
    const double asked = av_q2d(video.frameRate);
    if (picture->frames.size() >= 2 && !onFrameGrid(picture->frames, asked))
        differences += QStringLiteral("The frame rate is %1 fps; %2 fps was asked for.").arg(fps(picture->frameRate), fps(asked));
}

void compareSound(const AudioFormat &format, const std::optional<WrittenSound> &sound, QStringList &differences)
{
    if (!sound) {
        differences += QStringLiteral("The file has no sound stream, though one was asked for.");
        return;
    }
    if (sound->codec != QLatin1String(SoundEncoderName))
        differences += QStringLiteral("The sound codec is %1; %2 was asked for.").arg(sound->codec, QLatin1String(SoundEncoderName));
    if (sound->sampleRate != format.sampleRate || sound->channels != format.channels)
        differences += QStringLiteral("The sound is %1 Hz with %2 channel(s); %3 Hz with %4 was asked for.")
                           .arg(sound->sampleRate).arg(sound->channels).arg(format.sampleRate).arg(format.channels);
}

void compareContent(const ContentDescription &asked, const ContentDescription &written, QStringList &differences)
{
    const std::tuple<const char *, const QString &, const QString &> texts[] = {
        {"title", asked.title, written.title}, {"author", asked.author, written.author},
        {"copyright", asked.copyright, written.copyright}, {"description", asked.description, written.description},
        {"rating", asked.rating, written.rating},
    };
    for (const auto &[name, text, read] : texts)
        if (read != text)
            differences += QStringLiteral("The %1 reads \"%2\"; \"%3\" was asked for.").arg(QLatin1String(name), read, text);
}

} // namespace

QStringList CompareWithPlan(const EncodePlan &plan, const WrittenFile &file, double length, const RateRecord &rate)
{
    QStringList differences;
    if (plan.picture)
        comparePicture(*plan.picture, file.picture, differences);
    else if (file.picture)
        differences += QStringLiteral("The file has a picture stream, though none was asked for.");
    if (plan.sound)
        compareSound(*plan.sound, file.sound, differences);
    else if (file.sound)
        differences += QStringLiteral("The file has a sound stream, though none was asked for.");
    if (length > 0 && std::abs(file.duration - length) > DurationTolerance(plan))
        differences += QStringLiteral("The file lasts %1 s; %2 s was expected.")
                           .arg(QString::number(file.duration, 'f', 3), QString::number(length, 'f', 3));
    if (file.declared)
        compareContent(plan.content, file.declared->content, differences);
    else
        differences += QStringLiteral("The file's header cannot be read as players read it.");
    differences += CompareBitRates(plan, file, rate);
    return differences;
}

QStringList CompareBitRates(const EncodePlan &plan, const WrittenFile &file, const RateRecord &rate)
{
    QStringList differences;
    if (constantRatePicture(plan, file))
        differences += pictureRateDifferences(*plan.picture, file, rate);
    if (plan.sound && file.sound && file.sound->bitRate > 0 && !withinRate(file.sound->bitRate, plan.sound->bitRate))
        differences += QStringLiteral("The sound stream is %1; %2 was asked for.").arg(kbits(file.sound->bitRate), kbits(plan.sound->bitRate));
    return differences;
}

std::optional<QStringList> DifferencesOfEarlier(const EncodePlan &plan, const WrittenFile &file)
{
    const Record record = ReadRecord(file.tags.value(QLatin1String(MadeFromTag)));
    if (record.madeFrom != plan.madeFrom)
        return std::nullopt;
    return CompareWithPlan(plan, file, record.length.value_or(plan.duration));
}

QStringList RateNotes(const EncodePlan &plan, const WrittenFile &file)
{
    const WrittenPicture *picture = constantRatePicture(plan, file);
    if (!picture || picture->frames.size() < 2 || !pictureRateDifferences(*plan.picture, file, {}).isEmpty())
        return {};
    const double written = pictureBitRate(*picture, av_q2d(plan.picture->frameRate));
    if (written >= plan.picture->bitRate * (1 - RateTolerance))
        return {};
    return {QStringLiteral("The picture needed only %1 kbit/s of the %2 kbit/s asked for: a simpler picture needs fewer bits, "
                           "and a player plays it as smoothly.")
                .arg(std::lround(written / 1000)).arg(std::lround(plan.picture->bitRate / 1000.0))};
}
