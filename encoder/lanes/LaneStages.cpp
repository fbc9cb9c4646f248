#include "encoder/lanes/LaneStages.h"

#include "platform/Failure.h"

#include <algorithm>
#include <limits>

FilterStage::FilterStage(FilterChain chain, int64_t keepFrom, int64_t keepUntil, std::shared_ptr<const ColourTable> colourTable)
    : chain_(std::move(chain)), keepFrom_(keepFrom), keepUntil_(keepUntil), colourTable_(std::move(colourTable))
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
    else if (colourTable_)
        filtered.frames.push_back(throughTable(*frame));
    else
        filtered.frames.push_back(TakeFrame(frame));
}

FrameHandle FilterStage::throughTable(const AVFrame &frame) const
{
    FrameHandle mapped = NewFrame();
    mapped->format = AV_PIX_FMT_YUV420P;
    mapped->width = frame.width;
    mapped->height = frame.height;
    if (av_frame_get_buffer(mapped.get(), 0) < 0 || av_frame_copy_props(mapped.get(), &frame) < 0)
        throw Failure(QStringLiteral("Out of memory."));
    colourTable_->apply(frame, *mapped);
    mapped->color_range = AVCOL_RANGE_MPEG;
    mapped->colorspace = AVCOL_SPC_SMPTE170M;
    mapped->color_trc = AVCOL_TRC_BT709;
    mapped->color_primaries = AVCOL_PRI_BT709;
    return mapped;
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
    out.frames = frames_;
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

EncodedPackets Lane::process(AVFrame *frame)
{
    FilteredFrames filtered = filters.filter(frame);
    return encoder.encode(filtered);
}
