#include "encoder/read/MediaReader.h"

#include "platform/Failure.h"

#include <algorithm>

MediaReader::MediaReader(const SourceFacts &source, bool picture, bool sound, int decoderThreads)
    : path_(source.path), clock_(source.clock), input_(OpenMediaFile(source.path)), packet_(NewPacket()), frame_(NewFrame())
{
    if (picture)
        picture_ = openTrack(AVMEDIA_TYPE_VIDEO, source.picture->stream, decoderThreads);
    if (sound)
        sound_ = openTrack(AVMEDIA_TYPE_AUDIO, source.sound->stream, decoderThreads);
    readOnlyTracks();
}

// The streams not decoded are not read either: a first pass reads the picture alone.
void MediaReader::readOnlyTracks()
{
    for (unsigned i = 0; i < input_->nb_streams; ++i)
        if (int(i) != picture_.stream && int(i) != sound_.stream)
            input_->streams[i]->discard = AVDISCARD_ALL;
}

MediaReader::Track MediaReader::openTrack(AVMediaType type, int stream, int threads) const
{
    const AVStream *avStream = input_->streams[stream];
    const AVCodec *codec = avcodec_find_decoder(avStream->codecpar->codec_id);
    const QString kind = type == AVMEDIA_TYPE_VIDEO ? QStringLiteral("picture") : QStringLiteral("sound");
    if (!codec)
        throw Failure(QStringLiteral("Cannot decode the %1 of %2: no decoder for %3.")
                          .arg(kind, path_, QLatin1String(avcodec_get_name(avStream->codecpar->codec_id))));
    Track track;
    track.type = type;
    track.stream = stream;
    track.decoder.reset(avcodec_alloc_context3(codec));
    if (!track.decoder)
        throw Failure(QStringLiteral("Out of memory."));
    if (const int error = avcodec_parameters_to_context(track.decoder.get(), avStream->codecpar); error < 0)
        ThrowLibavFailure(QStringLiteral("Cannot decode the %1 of %2").arg(kind, path_), error);
    track.decoder->pkt_timebase = avStream->time_base;
    track.decoder->thread_count = threads;
    if (const int error = avcodec_open2(track.decoder.get(), codec, nullptr); error < 0)
        ThrowLibavFailure(QStringLiteral("Cannot decode the %1 of %2").arg(kind, path_), error);
    if (input_->start_time != AV_NOPTS_VALUE)
        track.startOffset = av_rescale_q(input_->start_time, AVRational{1, AV_TIME_BASE}, avStream->time_base);
    track.frameRate = avStream->avg_frame_rate.num > 0 ? avStream->avg_frame_rate : avStream->r_frame_rate;
    return track;
}

// How long a frame lasts in its stream's time base: as the source says, else a picture's one frame
// at the stream's frame rate, or a sound frame's samples.
int64_t MediaReader::duration(const Track &track, const AVFrame &frame) const
{
    if (const int64_t told = FrameDuration(frame); told > 0)
        return told;
    const AVRational timeBase = input_->streams[track.stream]->time_base;
    if (track.type == AVMEDIA_TYPE_AUDIO)
        return av_rescale_q(frame.nb_samples, AVRational{1, std::max(1, frame.sample_rate)}, timeBase);
    return track.frameRate.num > 0 ? av_rescale_q(1, av_inv_q(track.frameRate), timeBase) : 1;
}

const MediaReader::Track &MediaReader::track(AVMediaType type) const
{
    return type == AVMEDIA_TYPE_VIDEO ? picture_ : sound_;
}

const AVCodecContext &MediaReader::decoder(AVMediaType type) const
{
    return *track(type).decoder;
}

AVRational MediaReader::timeBase(AVMediaType type) const
{
    return input_->streams[track(type).stream]->time_base;
}

void MediaReader::seek(double seconds)
{
    // Half a second early, because sound is often stored a little ahead of the picture beside it.
    if (seconds > 0.5 && !moveTo(seconds - 0.5))
        restart();
}

void MediaReader::seekPictureBefore(double seconds, const std::function<void()> &whileLooking)
{
    for (double early = 0.5;; early *= 4) {
        const double target = seconds - early;
        if (!moveTo(target)) {
            restart();
            return;
        }
        if (target <= 0)
            return;
        // Decoding a little shows where the seek landed; the second seek to the same point brings
        // back what that decoding took.
        if (keyPictureBy(seconds, whileLooking)) {
            if (!moveTo(target))
                restart();
            return;
        }
    }
}

// Seeks to a key frame at or before this many seconds into the source, or to its start.
bool MediaReader::moveTo(double seconds)
{
    if (clock_.mends())
        return false;
    const int64_t start = input_->start_time == AV_NOPTS_VALUE ? 0 : input_->start_time;
    const int64_t target = start + std::max<int64_t>(0, int64_t(seconds * AV_TIME_BASE));
    if (avformat_seek_file(input_.get(), -1, INT64_MIN, target, target, 0) < 0)
        return false;
    for (Track *open : {&picture_, &sound_})
        if (open->decoder)
            avcodec_flush_buffers(open->decoder.get());
    ended_ = false;
    return true;
}

// Opens the source again at its beginning. A seek that fails may leave the source anywhere, even at
// its end, as libavformat reads on in search of the time where there is no index.
void MediaReader::restart()
{
    input_ = OpenMediaFile(path_);
    readOnlyTracks();
    ended_ = false;
    for (Track *open : {&picture_, &sound_}) {
        if (open->decoder)
            avcodec_flush_buffers(open->decoder.get());
        open->nextPts = 0;
        open->packets = 0;
    }
}

// Whether the picture, decoded from here, has a key frame that starts at or before this many seconds
// into the source; from a frame after that on, the answer is known, and decoding stops there.
bool MediaReader::keyPictureBy(double seconds, const std::function<void()> &whileLooking)
{
    std::optional<bool> found;
    const auto look = [&](AVMediaType type, AVFrame *frame) {
        if (type != AVMEDIA_TYPE_VIDEO || found || frame->pts == AV_NOPTS_VALUE)
            return;
        if (double(frame->pts) * av_q2d(timeBase(AVMEDIA_TYPE_VIDEO)) > seconds)
            found = false;
        else if (frame->key_frame)
            found = true;
    };
    while (!found && decodeNext(look))
        if (whileLooking)
            whileLooking();
    return found.value_or(false);
}

bool MediaReader::decodeNext(const FrameSink &sink)
{
    const int status = av_read_frame(input_.get(), packet_.get());
    if (status == AVERROR_EOF) {
        ended_ = true;
        for (Track *open : {&picture_, &sound_})
            if (open->decoder)
                decode(*open, nullptr, sink);
        return false;
    }
    if (status < 0)
        ThrowLibavFailure(QStringLiteral("Cannot read %1").arg(path_), status);
    for (Track *open : {&picture_, &sound_})
        if (open->decoder && open->stream == packet_->stream_index) {
            MendTimestamps(*packet_, input_->streams[open->stream]->time_base, clock_, open->packets++);
            decode(*open, packet_.get(), sink);
        }
    av_packet_unref(packet_.get());
    return true;
}

void MediaReader::decode(Track &track, const AVPacket *packet, const FrameSink &sink)
{
    // A damaged packet costs only its own frames; decoding goes on, as players do.
    if (const int error = avcodec_send_packet(track.decoder.get(), packet); error == AVERROR(ENOMEM))
        throw Failure(QStringLiteral("Out of memory."));
    int received = 0;
    while ((received = avcodec_receive_frame(track.decoder.get(), frame_.get())) >= 0) {
        // A raw stream, such as an H.264 elementary stream, carries no timestamps: its frames follow
        // one another.
        const int64_t stamp = frame_->best_effort_timestamp;
        frame_->pts = stamp == AV_NOPTS_VALUE ? track.nextPts : stamp - track.startOffset;
        track.nextPts = frame_->pts + duration(track, *frame_);
        sink(track.type, frame_.get());
        av_frame_unref(frame_.get());
    }
    if (received == AVERROR(ENOMEM))
        throw Failure(QStringLiteral("Out of memory."));
}

std::unique_ptr<MediaReader> OpenReader(const SourceFacts &source, bool picture, bool sound, int decoderThreads, double start,
                                        const std::function<void()> &whileSeeking)
{
    auto reader = std::make_unique<MediaReader>(source, picture, sound, decoderThreads);
    if (start > 0 && picture)
        reader->seekPictureBefore(start, whileSeeking);
    else if (start > 0)
        reader->seek(start);
    return reader;
}
