#include "encoder/filter/FilterStage.h"

#include "platform/Failure.h"

FilterStage::FilterStage(FilterChain chain, int64_t showFrom, int64_t keepFrom, int64_t keepUntil,
                         std::shared_ptr<const ColourTable> colourTable)
    : chain_(std::move(chain)), showFrom_(showFrom), keepFrom_(keepFrom), keepUntil_(keepUntil),
      colourTable_(std::move(colourTable))
{
}

FilteredFrames FilterStage::filter(AVFrame *frame)
{
    FilteredFrames filtered;
    filtered.sourceEnded = !frame;
    if (!closed_) {
        pushShown(frame);
        const bool chainClosed = chain_.pull([&](AVFrame *out) { take(out, filtered); });
        closed_ = closed_ || chainClosed;
    }
    filtered.closed = closed_;
    return filtered;
}

// A frame stays on screen until the next one: in a slide show or a screen recording, for seconds.
// So the frame before the first moment shown is held back until the next frame shows whether it is
// still on screen then; if so, it starts the picture there, rather than the picture starting at the
// next frame, later.
void FilterStage::pushShown(AVFrame *frame)
{
    if (frame && frame->pts != AV_NOPTS_VALUE && frame->pts < showFrom_) {
        onScreen_ = TakeFrame(frame);
        return;
    }
    if (onScreen_ && (!frame || frame->pts == AV_NOPTS_VALUE || frame->pts > showFrom_)) {
        onScreen_->pts = showFrom_;
        chain_.push(onScreen_.get());
    }
    onScreen_.reset();
    chain_.push(frame);
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
