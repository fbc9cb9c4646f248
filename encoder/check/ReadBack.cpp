#include "encoder/check/ReadBack.h"

#include "encoder/common/StopSignals.h"
#include "encoder/probe/SourceProbe.h"

#include <algorithm>
#include <limits>

namespace {

// Packet timestamps of one stream, in seconds, and its bytes.
struct Span {
    double first = std::numeric_limits<double>::max();
    double lastStart = 0;
    double end = 0;
    double lasting = 0; // the packets' own durations, added up
    int packets = 0;
    qint64 bytes = 0;
    std::vector<TimedFrame> frames;
};

// The time from one frame to the next where none was left out between them: the mean of the
// steps up to half as long again as the shortest, which leaves out the gaps of dropped frames
// and keeps the millisecond steps of timestamps at a rate such as 29.97 (33 and 34 ms).
double nominalSpacing(const std::vector<TimedFrame> &frames)
{
    double shortest = std::numeric_limits<double>::max();
    for (size_t i = 1; i < frames.size(); ++i)
        shortest = std::min(shortest, frames[i].seconds - frames[i - 1].seconds);
    double total = 0;
    int steps = 0;
    for (size_t i = 1; i < frames.size(); ++i) {
        const double step = frames[i].seconds - frames[i - 1].seconds;
        if (step > 0 && step <= shortest * 1.5) {
            total += step;
            ++steps;
        }
    }
    return steps > 0 ? total / steps : 0;
}

// Every packet of the file, stream by stream.
std::vector<Span> readSpans(AVFormatContext *input, const QString &path)
{
    std::vector<Span> spans(input->nb_streams);
    const PacketHandle packet = NewPacket();
    int status = 0;
    while ((status = av_read_frame(input, packet.get())) >= 0) {
        const AVStream *stream = input->streams[packet->stream_index];
        if (packet->pts != AV_NOPTS_VALUE) {
            Span &span = spans[size_t(packet->stream_index)];
            const double start = double(packet->pts) * av_q2d(stream->time_base);
            span.first = std::min(span.first, start);
            span.lastStart = std::max(span.lastStart, start);
            const double lasting = double(packet->duration) * av_q2d(stream->time_base);
            span.end = std::max(span.end, start + lasting);
            span.lasting += lasting;
            ++span.packets;
            span.bytes += packet->size;
            if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO)
                span.frames.push_back({start, double(packet->size) * 8});
        }
        av_packet_unref(packet.get());
    }
    StopIfRequested();
    if (status != AVERROR_EOF)
        ThrowLibavFailure(QStringLiteral("Cannot read back %1").arg(path), status);
    return spans;
}

WrittenPicture pictureOf(const AVCodecParameters &codec, Span &span)
{
    std::vector<TimedFrame> frames = std::move(span.frames);
    std::sort(frames.begin(), frames.end(), [](const TimedFrame &one, const TimedFrame &other) { return one.seconds < other.seconds; });
    const double spacing = nominalSpacing(frames);
    return {QString::fromLatin1(avcodec_get_name(codec.codec_id)), codec.width, codec.height, spacing > 0 ? 1 / spacing : 0,
            std::move(frames), span.bytes};
}

// The sound's rate over the time its packets play. The first packet holds the encoder's lead-in and
// is timed with the second, at the file's start, so that in a short file the time from the first to
// the end would count its bytes twice over too short a time.
WrittenSound soundOf(const AVCodecParameters &codec, const Span &span)
{
    const double playing = span.lasting > 0 ? span.lasting : span.end - span.first;
    return {QString::fromLatin1(avcodec_get_name(codec.codec_id)), codec.sample_rate, codec.ch_layout.nb_channels,
            playing > 0 ? double(span.bytes) * 8 / playing : 0};
}

// Where the picture's last frame ends. ASF tells no frame's length: each lasts until the next
// begins, and the last one as long as the frames' spacing, or, where there is one frame alone, as
// long as the header says a frame lasts.
double pictureEnd(const WrittenPicture &picture, const std::optional<DeclaredFile> &declared)
{
    if (picture.frames.empty())
        return 0;
    double length = picture.frameRate > 0 ? 1 / picture.frameRate : 0;
    const DeclaredStream *stream = declared ? declared->picture() : nullptr;
    if (length == 0 && stream && stream->frameTicks)
        length = double(*stream->frameTicks) / 1e7;
    return picture.frames.back().seconds + length;
}

} // namespace

WrittenFile ReadBack(const QString &path)
{
    const InputHandle input = OpenMediaFile(path);
    WrittenFile file;
    file.size = avio_size(input->pb);
    if (file.size < 0)
        ThrowLibavFailure(QStringLiteral("Cannot read back %1").arg(path), int(file.size));
    const AVDictionaryEntry *tag = nullptr;
    while ((tag = av_dict_get(input->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        file.tags.insert(QString::fromLatin1(tag->key), QString::fromUtf8(tag->value));
    std::vector<Span> spans = readSpans(input.get(), path);
    file.declared = ReadDeclaredHeader(path);
    double first = std::numeric_limits<double>::max();
    double end = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters &codec = *input->streams[i]->codecpar;
        if (spans[i].packets > 0) {
            first = std::min(first, spans[i].first);
            end = std::max(end, spans[i].end);
        }
        if (codec.codec_type == AVMEDIA_TYPE_VIDEO && !file.picture) {
            file.picture = pictureOf(codec, spans[i]);
            end = std::max(end, pictureEnd(*file.picture, file.declared));
        }
        if (codec.codec_type == AVMEDIA_TYPE_AUDIO && !file.sound)
            file.sound = soundOf(codec, spans[i]);
    }
    file.duration = end > first ? end - first : 0;
    return file;
}
