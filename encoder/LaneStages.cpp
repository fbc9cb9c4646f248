#include "encoder/LaneStages.h"

#include "platform/Failure.h"

#include <algorithm>
#include <limits>

FilterStage::FilterStage(FilterChain chain, int64_t keepFrom, int64_t keepUntil)
    : chain_(std::move(chain)), keepFrom_(keepFrom), keepUntil_(keepUntil)
{
}

FilteredFrames FilterStage::filter(AVFrame *frame)
{
    FilteredFrames filtered;
    filtered.sourceEnded = !frame;
    if (!closed_) {
        chain_.push(frame);
        const bool chainClosed = chain_.pull([&](AVFrame *out) { take(out, filtered); });
        closed_ = closed_ || chainClosed;
    }
    filtered.closed = closed_;
    return filtered;
}

void FilterStage::take(AVFrame *frame, FilteredFrames &filtered)
{
    if (closed_ || frame->pts < keepFrom_)
        return;
    if (frame->pts >= keepUntil_)
        closed_ = true;
    else
        filtered.frames.push_back(TakeFrame(frame));
}

EncodeStage::EncodeStage(StreamEncoder encoder, AVRational frameTimeBase, bool keepPackets, std::optional<RateKeeper> keeper)
    : encoder_(std::move(encoder)), frameTimeBase_(frameTimeBase), keepPackets_(keepPackets), keeper_(keeper),
      first_(std::numeric_limits<double>::max())
{
}

EncodedPackets EncodeStage::encode(FilteredFrames &filtered)
{
    EncodedPackets out;
    if (!ended_) {
        for (const FrameHandle &frame : filtered.frames) {
            position_ = double(frame->pts) * av_q2d(frameTimeBase_);
            if (keeper_ && !keeper_->admits(position_))
                hold(frame.get());
            else
                encodeFrame(frame.get(), out);
        }
        if (filtered.closed) {
            // The last frame is written whatever the rate, or the picture would end early.
            if (const FrameHandle last = std::move(held_)) {
                encodeFrame(last.get(), out);
                --dropped_;
            }
            encoder_.send(nullptr, frameTimeBase_);
            receive(out);
            ended_ = true;
        }
    }
    out.position = position_;
    out.frames = frames_;
    return out;
}

void EncodeStage::encodeFrame(AVFrame *frame, EncodedPackets &out)
{
    held_.reset();
    ++frames_;
    const double start = double(frame->pts) * av_q2d(frameTimeBase_);
    first_ = std::min(first_, start);
    end_ = std::max(end_, start + frameSeconds(*frame));
    encoder_.send(frame, frameTimeBase_);
    receive(out);
}

// Keeps a dropped frame until the next one comes, in case it is the last.
void EncodeStage::hold(AVFrame *frame)
{
    ++dropped_;
    if (!held_)
        held_ = NewFrame();
    av_frame_unref(held_.get());
    if (av_frame_ref(held_.get(), frame) < 0)
        throw Failure(QStringLiteral("Out of memory."));
}

void EncodeStage::receive(EncodedPackets &out)
{
    encoder_.receive([&](AVPacket *packet) {
        if (keeper_)
            keeper_->spent(packet->size, packet->flags & AV_PKT_FLAG_KEY);
        if (keepPackets_)
            out.packets.push_back(TakePacket(packet));
    });
}

double EncodeStage::frameSeconds(const AVFrame &frame) const
{
    const AVCodecContext &context = encoder_.context();
    return context.codec_type == AVMEDIA_TYPE_AUDIO ? double(frame.nb_samples) / context.sample_rate
                                                     : 1 / av_q2d(context.framerate);
}

EncodedPackets Lane::process(AVFrame *frame)
{
    FilteredFrames filtered = filters.filter(frame);
    return encoder.encode(filtered);
}
