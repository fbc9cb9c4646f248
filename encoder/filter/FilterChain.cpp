#include "encoder/filter/FilterChain.h"

#include "platform/Failure.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
}

namespace {

struct InOutFreer {
    void operator()(AVFilterInOut *list) const { avfilter_inout_free(&list); }
};
using InOutHandle = std::unique_ptr<AVFilterInOut, InOutFreer>;

// One end of the description: "in" is the graph's source, "out" its sink.
InOutHandle endPoint(const char *name, AVFilterContext *filter)
{
    InOutHandle end(avfilter_inout_alloc());
    if (!end)
        throw Failure(QStringLiteral("Out of memory."));
    end->name = av_strdup(name);
    if (!end->name)
        throw Failure(QStringLiteral("Out of memory."));
    end->filter_ctx = filter;
    return end;
}

QString channelLayout(const AVCodecContext &decoder)
{
    AVChannelLayout layout{};
    int error = 0;
    if (decoder.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, decoder.ch_layout.nb_channels);
    else
        error = av_channel_layout_copy(&layout, &decoder.ch_layout);
    char text[128] = {};
    // The description's length, or what it would need beyond the room given.
    if (error >= 0)
        error = av_channel_layout_describe(&layout, text, sizeof text);
    av_channel_layout_uninit(&layout);
    if (error < 0 || size_t(error) > sizeof text)
        throw Failure(QStringLiteral("Cannot describe the source's %1 sound channels to the filters.").arg(decoder.ch_layout.nb_channels));
    return QString::fromLatin1(text);
}

} // namespace

FilterChain::FilterChain(const char *source, const QString &sourceArguments, const char *sink, const QString &description)
    : description_(description), graph_(avfilter_graph_alloc()), frame_(NewFrame())
{
    if (!graph_)
        throw Failure(QStringLiteral("Out of memory."));
    const auto fail = [&](int error) {
        return Failure(QStringLiteral("Cannot set up the filters \"%1\": %2").arg(description_, LibavReason(error)));
    };
    if (const int error = avfilter_graph_create_filter(&source_, avfilter_get_by_name(source), "in",
                                                       sourceArguments.toLatin1().constData(), nullptr, graph_.get());
        error < 0)
        throw fail(error);
    if (const int error = avfilter_graph_create_filter(&sink_, avfilter_get_by_name(sink), "out", nullptr, nullptr, graph_.get());
        error < 0)
        throw fail(error);
    AVFilterInOut *outputs = endPoint("in", source_).release();
    AVFilterInOut *inputs = endPoint("out", sink_).release();
    const int parsed = avfilter_graph_parse_ptr(graph_.get(), description.toLatin1().constData(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (parsed < 0)
        throw fail(parsed);
    if (const int error = avfilter_graph_config(graph_.get(), nullptr); error < 0)
        throw fail(error);
}

FilterChain FilterChain::forPicture(const AVCodecContext &decoder, AVRational timeBase, AVRational sampleAspect,
                                    AVRational frameRate, const QString &description)
{
    return forPicture(decoder.width, decoder.height, decoder.pix_fmt, timeBase, sampleAspect, frameRate, description);
}

FilterChain FilterChain::forPicture(int width, int height, AVPixelFormat format, AVRational timeBase, AVRational sampleAspect,
                                    AVRational frameRate, const QString &description)
{
    QString arguments = QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7")
                            .arg(width).arg(height)
                            .arg(QLatin1String(av_get_pix_fmt_name(format)))
                            .arg(timeBase.num).arg(timeBase.den)
                            .arg(sampleAspect.num).arg(sampleAspect.den);
    if (frameRate.num > 0)
        arguments += QStringLiteral(":frame_rate=%1/%2").arg(frameRate.num).arg(frameRate.den);
    FilterChain chain("buffer", arguments, "buffersink", description);
    chain.inputTimeBase_ = timeBase;
    chain.inputFrameRate_ = frameRate;
    return chain;
}

FilterChain FilterChain::forSound(const AVCodecContext &decoder, AVRational timeBase, const QString &description, int frameSize)
{
    const QString arguments = QStringLiteral("time_base=%1/%2:sample_rate=%3:sample_fmt=%4:channel_layout=%5")
                                  .arg(timeBase.num).arg(timeBase.den).arg(decoder.sample_rate)
                                  .arg(QLatin1String(av_get_sample_fmt_name(decoder.sample_fmt)), channelLayout(decoder));
    FilterChain chain("abuffer", arguments, "abuffersink", description);
    chain.inputTimeBase_ = timeBase;
    av_buffersink_set_frame_size(chain.sink_, unsigned(frameSize));
    return chain;
}

int64_t FilterChain::frameEnd(const AVFrame &frame) const
{
    if (frame.nb_samples > 0)
        return frame.pts + av_rescale_q(frame.nb_samples, AVRational{1, frame.sample_rate}, inputTimeBase_);
    if (const int64_t duration = FrameDuration(frame); duration > 0)
        return frame.pts + duration;
    return frame.pts + (inputFrameRate_.num > 0 ? av_rescale_q(1, av_inv_q(inputFrameRate_), inputTimeBase_) : 0);
}

void FilterChain::push(AVFrame *frame)
{
    if (frame && frame->pts != AV_NOPTS_VALUE)
        inputEnd_ = frameEnd(*frame);
    // The input ends where its last frame ends, not where it starts, or a frame-rate filter would
    // drop that last frame.
    const int error = frame ? av_buffersrc_add_frame(source_, frame) : av_buffersrc_close(source_, inputEnd_, AV_BUFFERSRC_FLAG_PUSH);
    // A chain its own filters have closed takes no more frames; that is no failure.
    if (error < 0 && error != AVERROR_EOF)
        throw Failure(QStringLiteral("The filters \"%1\" failed: %2").arg(description_, LibavReason(error)));
}

bool FilterChain::pull(const std::function<void(AVFrame *)> &sink)
{
    while (!closed_) {
        const int status = av_buffersink_get_frame(sink_, frame_.get());
        if (status == AVERROR(EAGAIN))
            return false;
        if (status == AVERROR_EOF) {
            closed_ = true;
            break;
        }
        if (status < 0)
            throw Failure(QStringLiteral("The filters \"%1\" failed: %2").arg(description_, LibavReason(status)));
        sink(frame_.get());
        av_frame_unref(frame_.get());
    }
    return true;
}

AVRational FilterChain::timeBase() const
{
    return av_buffersink_get_time_base(sink_);
}

AVRational FilterChain::sampleAspect() const
{
    return av_buffersink_get_sample_aspect_ratio(sink_);
}
