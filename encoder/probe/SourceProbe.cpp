#include "encoder/probe/SourceProbe.h"

#include "encoder/common/StopSignals.h"
#include "media/PictureRotation.h"
#include "platform/NativeFiles.h"

#include <QCryptographicHash>
#include <algorithm>
#include <sys/stat.h>
#include <utility>

namespace {

// Pictures and texts that libavformat also opens, as a one-frame video or a terminal animation.
bool isStillOrTextFormat(const QString &format)
{
    return format == QLatin1String("image2") || format == QLatin1String("tty") || format.endsWith(QLatin1String("_pipe"));
}

// A stream may start later than the file: a picture after its sound, as a camera that warms up
// records it.
double streamStart(const AVFormatContext *input, const AVStream *stream)
{
    if (stream->start_time == AV_NOPTS_VALUE || input->start_time == AV_NOPTS_VALUE)
        return 0;
    return std::max(0.0, double(stream->start_time) * av_q2d(stream->time_base) - double(input->start_time) / AV_TIME_BASE);
}

// From the stream's start to its end; where the container tells no stream's length (Matroska), to
// the end of the file.
double streamDuration(const AVFormatContext *input, const AVStream *stream)
{
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return double(stream->duration) * av_q2d(stream->time_base);
    if (input->duration != AV_NOPTS_VALUE && input->duration > 0)
        return std::max(0.0, double(input->duration) / AV_TIME_BASE - streamStart(input, stream));
    return 0;
}

bool isKnownRate(AVRational rate)
{
    return rate.num > 0 && rate.den > 0;
}

PictureFacts pictureFacts(AVFormatContext *input, int index)
{
    AVStream *stream = input->streams[index];
    const AVCodecParameters *codec = stream->codecpar;
    PictureFacts facts;
    facts.stream = index;
    facts.codec = QString::fromLatin1(avcodec_get_name(codec->codec_id));
    facts.width = codec->width;
    facts.height = codec->height;
    const AVRational aspect = av_guess_sample_aspect_ratio(input, stream, nullptr);
    facts.sampleAspect = isKnownRate(aspect) ? aspect : AVRational{1, 1};
    facts.rotation = PictureRotation(stream);
    facts.colour = ColourOf(*stream);
    if (facts.rotation % 180) {
        std::swap(facts.width, facts.height);
        facts.sampleAspect = av_inv_q(facts.sampleAspect);
    }
    facts.frameRate = isKnownRate(stream->avg_frame_rate) ? stream->avg_frame_rate : stream->r_frame_rate;
    if (!isKnownRate(facts.frameRate))
        facts.frameRate = AVRational{0, 1};
    facts.start = streamStart(input, stream);
    facts.duration = streamDuration(input, stream);
    return facts;
}

SoundFacts soundFacts(AVFormatContext *input, int index)
{
    const AVStream *stream = input->streams[index];
    SoundFacts facts;
    facts.stream = index;
    facts.codec = QString::fromLatin1(avcodec_get_name(stream->codecpar->codec_id));
    facts.sampleRate = stream->codecpar->sample_rate;
    facts.channels = stream->codecpar->ch_layout.nb_channels;
    facts.start = streamStart(input, stream);
    facts.duration = streamDuration(input, stream);
    return facts;
}

// The bytes at each end of a source that its digest takes.
constexpr qint64 DigestedEnd = 1 << 20;

// A digest of the file's first and last megabyte, or of the whole of a shorter file: cheap for a
// large one, and a new source copied over an old one rarely begins and ends the same.
QByteArray endsDigest(const QString &path)
{
    try {
        RegularFileReader file(path);
        QCryptographicHash hash(QCryptographicHash::Blake2b_256);
        if (file.size() <= 2 * DigestedEnd) {
            hash.addData(file.readAt(0, file.size()));
        } else {
            hash.addData(file.readAt(0, DigestedEnd));
            hash.addData(file.readAt(file.size() - DigestedEnd, DigestedEnd));
        }
        return hash.result();
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("Cannot read %1: %2").arg(path, failure.message()));
    }
}

bool playable(const AVStream &stream, AVMediaType type)
{
    const AVCodecParameters &codec = *stream.codecpar;
    if (codec.codec_id == AV_CODEC_ID_NONE || codec.codec_type != type)
        return false;
    if (type == AVMEDIA_TYPE_VIDEO)
        return codec.width > 0 && codec.height > 0 && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC);
    return codec.sample_rate > 0 && codec.ch_layout.nb_channels > 0;
}

// The stream of the kind a player plays: the first one marked as the default, else the first one;
// -1 where there is none.
int playedStream(const AVFormatContext &input, AVMediaType type)
{
    int first = -1;
    for (unsigned i = 0; i < input.nb_streams; ++i) {
        const AVStream &stream = *input.streams[i];
        if (!playable(stream, type))
            continue;
        if (stream.disposition & AV_DISPOSITION_DEFAULT)
            return int(i);
        if (first < 0)
            first = int(i);
    }
    return first;
}

// Reads the whole source to find where its clock starts again or jumps, and how long it lasts,
// its parts end to end: a container's length is then that of its last part, or reaches a damaged
// time.
void readClock(AVFormatContext &input, SourceFacts &facts)
{
    // The sound runs on from part to part: an encoder takes its samples one after the other, and a
    // gap or an overlap in it would put the picture out of step.
    std::vector<int> streams;
    for (const int stream : {facts.sound ? facts.sound->stream : -1, facts.picture ? facts.picture->stream : -1})
        if (stream >= 0)
            streams.push_back(stream);
    for (unsigned i = 0; i < input.nb_streams; ++i)
        if (std::find(streams.begin(), streams.end(), int(i)) == streams.end())
            input.streams[i]->discard = AVDISCARD_ALL;
    facts.clock = ReadSourceClock(input, streams);
    if (!facts.clock.mends())
        return;
    facts.duration = facts.clock.seconds;
    if (facts.picture) {
        facts.picture->start = 0;
        facts.picture->duration = facts.clock.seconds;
    }
    if (facts.sound) {
        facts.sound->start = 0;
        facts.sound->duration = facts.clock.seconds;
    }
}

} // namespace

InputHandle OpenMediaFile(const QString &path)
{
    // Opening a named pipe or a device would wait, or read, for ever.
    if (const QString kind = SpecialFileKind(path); !kind.isEmpty())
        throw NotMedia(QStringLiteral("%1 is %2, not a sound or video file.").arg(path, kind));
    AVFormatContext *opened = avformat_alloc_context();
    if (!opened)
        throw Failure(QStringLiteral("Out of memory."));
    opened->interrupt_callback = StopCallback;
    if (const int error = avformat_open_input(&opened, NativePath(path).constData(), nullptr, nullptr); error < 0) {
        StopIfRequested();
        if (error == AVERROR_INVALIDDATA)
            throw NotMedia(QStringLiteral("%1 is not a sound or video file.").arg(path));
        ThrowLibavFailure(QStringLiteral("Cannot read %1").arg(path), error);
    }
    InputHandle input(opened);
    if (const int error = avformat_find_stream_info(input.get(), nullptr); error < 0)
        ThrowLibavFailure(QStringLiteral("Cannot read %1").arg(path), error);
    StopIfRequested();
    return input;
}

SourceFacts FileFactsOf(const QString &path)
{
    SourceFacts facts;
    facts.path = path;
    if (struct stat status{}; stat(NativePath(path).constData(), &status) == 0) {
        facts.size = status.st_size;
        facts.modifiedNs = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    }
    facts.endsDigest = endsDigest(path);
    return facts;
}

SourceFacts ProbeSource(const QString &path)
{
    const InputHandle input = OpenMediaFile(path);
    SourceFacts facts = FileFactsOf(path);
    facts.format = QString::fromLatin1(input->iformat->name);
    if (input->duration != AV_NOPTS_VALUE && input->duration > 0)
        facts.duration = double(input->duration) / AV_TIME_BASE;
    if (const int picture = playedStream(*input, AVMEDIA_TYPE_VIDEO); picture >= 0)
        facts.picture = pictureFacts(input.get(), picture);
    if (const int sound = playedStream(*input, AVMEDIA_TYPE_AUDIO); sound >= 0)
        facts.sound = soundFacts(input.get(), sound);
    if (isStillOrTextFormat(facts.format) || (!facts.picture && !facts.sound))
        throw NotMedia(QStringLiteral("%1 is not a sound or video file.").arg(path));
    if (ClockMayJump(*input))
        readClock(*input, facts);
    if (facts.duration <= 0)
        facts.duration = std::max(facts.picture ? facts.picture->duration : 0.0, facts.sound ? facts.sound->duration : 0.0);
    return facts;
}
