#include "encoder/EncodePipeline.h"

#include "encoder/AsfWriter.h"
#include "encoder/FilterChain.h"
#include "encoder/FilterGraphs.h"
#include "encoder/MediaReader.h"
#include "encoder/RateKeeper.h"
#include "encoder/StopSignals.h"
#include "encoder/StreamEncoder.h"
#include "encoder/TwoPassFloor.h"
#include "encoder/Verification.h"

#include <algorithm>
#include <limits>

namespace {

// One stream's way from decoded source frames to packets: its filters, then its encoder.
class Lane {
public:
    Lane(FilterChain chain, StreamEncoder encoder, PacketSink sink, std::optional<RateKeeper> keeper = std::nullopt)
        : chain_(std::move(chain)), encoder_(std::move(encoder)), sink_(std::move(sink)), keeper_(keeper)
    {
    }

    // Filters and encodes a decoded frame; nullptr when the source has ended.
    void feed(AVFrame *frame)
    {
        if (ended_)
            return;
        chain_.push(frame);
        const bool closed = chain_.pull([this](AVFrame *filtered) {
            position_ = double(filtered->pts) * av_q2d(chain_.timeBase());
            if (keeper_ && !keeper_->admits(position_))
                hold(filtered);
            else
                encode(filtered);
        });
        if (closed) {
            // The last frame is written whatever the rate, or the picture would end early.
            if (const FrameHandle last = std::move(held_)) {
                encode(last.get());
                --dropped_;
            }
            encoder_.send(nullptr, chain_.timeBase());
            receive();
            ended_ = true;
        }
    }

    bool ended() const { return ended_; }
    double position() const { return position_; } // seconds of output encoded
    double first() const { return first_; }       // where the first frame encoded starts, in seconds
    double end() const { return end_; }           // where the last frame encoded ends, in seconds
    int frames() const { return frames_; }
    int dropped() const { return dropped_; }
    const StreamEncoder &encoder() const { return encoder_; }

private:
    void encode(AVFrame *frame)
    {
        held_.reset();
        ++frames_;
        const double start = double(frame->pts) * av_q2d(chain_.timeBase());
        first_ = std::min(first_, start);
        end_ = std::max(end_, start + frameSeconds(*frame));
        encoder_.send(frame, chain_.timeBase());
        receive();
    }

    // Keeps a dropped frame until the next one comes, in case it is the last.
    void hold(AVFrame *frame)
    {
        ++dropped_;
        if (!held_)
            held_ = NewFrame();
        av_frame_unref(held_.get());
        if (av_frame_ref(held_.get(), frame) < 0)
            throw Failure(QStringLiteral("Out of memory."));
    }

    void receive()
    {
        encoder_.receive([this](AVPacket *packet) {
            if (keeper_)
                keeper_->spent(packet->size, packet->flags & AV_PKT_FLAG_KEY);
            sink_(packet);
        });
    }

    double frameSeconds(const AVFrame &frame) const
    {
        const AVCodecContext &context = encoder_.context();
        return context.codec_type == AVMEDIA_TYPE_AUDIO ? double(frame.nb_samples) / context.sample_rate
                                                         : 1 / av_q2d(context.framerate);
    }

    FilterChain chain_;
    StreamEncoder encoder_;
    PacketSink sink_;
    std::optional<RateKeeper> keeper_;
    FrameHandle held_;
    bool ended_ = false;
    double position_ = 0;
    double first_ = std::numeric_limits<double>::max();
    double end_ = 0;
    int frames_ = 0;
    int dropped_ = 0;
};

// Where an encoder's packets go: into their own stream of the file, or nowhere on a first pass,
// which keeps only the encoder's statistics.
PacketSink packetSink(AsfWriter *writer, const StreamEncoder &encoder)
{
    if (!writer)
        return [](AVPacket *) {};
    const int stream = writer->addStream(encoder.context());
    const AVRational timeBase = encoder.context().time_base;
    return [writer, stream, timeBase](AVPacket *packet) { writer->write(packet, stream, timeBase); };
}

QString droppedFramesNote(const VideoPlan &video, int kept, int dropped)
{
    const double movement = av_q2d(video.frameRate) * kept / (kept + dropped);
    return QStringLiteral("To hold %1 bit/s, %2 of %3 frames were dropped, so the picture moves at %4 fps on average; "
                          "a smaller picture, a lower frame rate or a higher bit rate would keep them.")
        .arg(video.bitRate).arg(dropped).arg(kept + dropped).arg(QString::number(movement, 'f', 1));
}

// What one run through the source gave.
struct PassResult {
    QByteArray statistics; // the picture encoder's, which only a first pass has
    double encoded = 0;    // seconds from the start of the first frame encoded to the end of the last
};

PassResult runPass(const SourceFacts &source, const EncodePlan &plan, Pass pass, const QByteArray &statistics,
                   const QString &path, EncodeObserver &observer)
{
    const bool writing = pass != Pass::First;
    MediaReader reader(source, plan.video.has_value(), plan.audio && writing);
    if (plan.start > 0)
        reader.seek(plan.start);
    std::optional<AsfWriter> writer;
    if (writing)
        writer.emplace(path, plan.content);
    const bool globalHeaders = writer && writer->wantsGlobalHeaders();

    std::optional<Lane> picture;
    if (plan.video) {
        FilterChain chain = FilterChain::forPicture(reader.decoder(AVMEDIA_TYPE_VIDEO), reader.timeBase(AVMEDIA_TYPE_VIDEO),
                                                    source.picture->storedSampleAspect(), source.picture->frameRate,
                                                    VideoFilterDescription(plan));
        StreamEncoder encoder = StreamEncoder::forPicture(*plan.video, chain.sampleAspect(), pass, statistics, globalHeaders);
        PacketSink sink = packetSink(writer ? &*writer : nullptr, encoder);
        std::optional<RateKeeper> keeper;
        if (pass == Pass::Only && plan.video->mode == RateMode::CbrOnePass)
            keeper.emplace(plan.video->bitRate, double(plan.video->bitRate) * plan.video->bufferMs / 1000);
        picture.emplace(std::move(chain), std::move(encoder), std::move(sink), keeper);
    }
    std::optional<Lane> sound;
    if (plan.audio && writing) {
        StreamEncoder encoder = StreamEncoder::forSound(*plan.audio, globalHeaders);
        FilterChain chain = FilterChain::forSound(reader.decoder(AVMEDIA_TYPE_AUDIO), reader.timeBase(AVMEDIA_TYPE_AUDIO),
                                                  AudioFilterDescription(plan), encoder.context().frame_size);
        PacketSink sink = packetSink(&*writer, encoder);
        sound.emplace(std::move(chain), std::move(encoder), std::move(sink));
    }
    if (writer)
        writer->begin();

    const auto feed = [&](AVMediaType type, AVFrame *frame) {
        std::optional<Lane> &lane = type == AVMEDIA_TYPE_VIDEO ? picture : sound;
        if (lane)
            lane->feed(frame);
    };
    const auto running = [&] { return (picture && !picture->ended()) || (sound && !sound->ended()); };
    const Lane &lead = picture ? *picture : *sound;
    EncodeProgress progress;
    progress.pass = pass == Pass::Second ? 2 : 1;
    progress.passes = pass == Pass::Only ? 1 : 2;
    while (running() && reader.decodeNext(feed)) {
        StopIfRequested();
        progress.done = plan.duration > 0 ? std::clamp(lead.position() / plan.duration, 0.0, 1.0) : 0;
        progress.frames = picture ? picture->frames() : 0;
        observer.progress(progress);
    }
    for (std::optional<Lane> *lane : {&picture, &sound})
        if (*lane)
            (*lane)->feed(nullptr);
    if (writer)
        writer->finish();
    progress.done = 1;
    observer.progress(progress);
    if (picture && picture->dropped() > 0)
        observer.note(droppedFramesNote(*plan.video, picture->frames(), picture->dropped()));
    PassResult result;
    if (picture)
        result.statistics = picture->encoder().statistics();
    double first = std::numeric_limits<double>::max();
    double end = 0;
    for (const std::optional<Lane> *lane : {&picture, &sound}) {
        if (*lane && (*lane)->frames() > 0) {
            first = std::min(first, (*lane)->first());
            end = std::max(end, (*lane)->end());
        }
    }
    result.encoded = end > first ? end - first : 0;
    return result;
}

// A container's length is an estimate: a cut-off download or a damaged index holds less than it
// announces, and some streams hold more. The output is checked against what the source gave.
void keepToWhatWasRead(EncodePlan &plan, const SourceFacts &source, double encoded, EncodeObserver &observer)
{
    if (encoded <= 0)
        throw Failure(QStringLiteral("Nothing of %1 could be decoded: the file is damaged, or not what its header says.").arg(source.path));
    // A section that came out longer than asked is the encode's own fault, for the check to find.
    const bool longerThanSection = plan.end && encoded > plan.duration;
    if (longerThanSection || std::abs(encoded - plan.duration) <= DurationTolerance(plan))
        return;
    if (plan.duration > 0)
        observer.note(QStringLiteral("The source gave %1 s, not the %2 s its container announced; the output is "
                                     "checked against what could be read.")
                          .arg(QString::number(encoded, 'f', 3), QString::number(plan.duration, 'f', 3)));
    plan.duration = encoded;
}

} // namespace

void EncodeFile(const SourceFacts &source, EncodePlan &plan, const QString &path, EncodeObserver &observer)
{
    if (!plan.video || !plan.video->twoPass()) {
        keepToWhatWasRead(plan, source, runPass(source, plan, Pass::Only, {}, path, observer).encoded, observer);
        return;
    }
    const QByteArray statistics = runPass(source, plan, Pass::First, {}, path, observer).statistics;
    if (statistics.isEmpty())
        throw Failure(QStringLiteral("The first pass found no picture frames to encode."));
    // The plan keeps the rate asked for, which the file is checked against.
    EncodePlan second = plan;
    VideoPlan &video = *second.video;
    const int bitRate = SafeTwoPassBitRate(video.bitRate, statistics, video.frameRate);
    if (bitRate != video.bitRate) {
        observer.note(QStringLiteral("Two passes cannot fit this picture into %1 bit/s, even at the coarsest quantiser; "
                                     "it is encoded at %2 bit/s, the lowest rate that holds it.").arg(video.bitRate).arg(bitRate));
        video.bitRate = bitRate;
    }
    keepToWhatWasRead(plan, source, runPass(source, second, Pass::Second, statistics, path, observer).encoded, observer);
}
