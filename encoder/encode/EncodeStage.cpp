#include "encoder/encode/EncodeStage.h"

#include "platform/Failure.h"

#include <algorithm>
#include <limits>

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
            if (keeper_ && !keeper_->admits(position_, encoder_.keyFrameDue(*frame, frameTimeBase_), encoder_.nextKeyFrame())) {
                ++dropped_;
                droppedLast_ = frame->pts;
            } else {
                encodeFrame(frame.get(), out);
            }
        }
        if (filtered.closed) {
            // Where the last frame was dropped, the picture would end early: the last one encoded is
            // shown again in its place, which costs the rate next to nothing.
            if (droppedLast_ && lastEncoded_) {
                const FrameHandle again = std::move(lastEncoded_);
                again->pts = *droppedLast_;
                encodeFrame(again.get(), out);
                --dropped_;
            }
            encoder_.send(nullptr, frameTimeBase_);
            receive(out);
            ended_ = true;
        }
    }
    out.position = position_;
    out.handled = frames_ + dropped_;
    return out;
}

void EncodeStage::encodeFrame(AVFrame *frame, EncodedPackets &out)
{
    droppedLast_.reset();
    if (keeper_) {
        if (!lastEncoded_)
            lastEncoded_ = NewFrame();
        av_frame_unref(lastEncoded_.get());
        if (av_frame_ref(lastEncoded_.get(), frame) < 0)
            throw Failure(QStringLiteral("Out of memory."));
    }
    ++frames_;
    const double start = double(frame->pts) * av_q2d(frameTimeBase_);
    first_ = std::min(first_, start);
    end_ = std::max(end_, start + frameSeconds(*frame));
    encoder_.send(frame, frameTimeBase_);
    receive(out);
}

void EncodeStage::receive(EncodedPackets &out)
{
    encoder_.receive([&](AVPacket *packet) {
        const bool coarsest = StreamEncoder::atCoarsest(*packet);
        coarsest_ += coarsest;
        if (keeper_)
            keeper_->spent(double(packet->pts) * av_q2d(encoder_.context().time_base), packet->size,
                           packet->flags & AV_PKT_FLAG_KEY, coarsest);
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
