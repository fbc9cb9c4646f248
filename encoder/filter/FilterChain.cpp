#include "encoder/filter/FilterChain.h"

#include "platform/Failure.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/audio_fifo.h>
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

QString channelLayout(const AVChannelLayout &channels)
{
    AVChannelLayout layout{};
    int error = 0;
    if (channels.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, channels.nb_channels);
    else
        error = av_channel_layout_copy(&layout, &channels);
    char text[128] = {};
    // The description's length, or what it would need beyond the room given.
    if (error >= 0)
        error = av_channel_layout_describe(&layout, text, sizeof text);
    av_channel_layout_uninit(&layout);
    if (error < 0 || size_t(error) > sizeof text)
        throw Failure(QStringLiteral("Cannot describe the source's %1 sound channels to the filters.").arg(channels.nb_channels));
    return QString::fromLatin1(text);
}

QString soundArguments(AVRational timeBase, int sampleRate, int format, const AVChannelLayout &channels)
{
    return QStringLiteral("time_base=%1/%2:sample_rate=%3:sample_fmt=%4:channel_layout=%5")
        .arg(timeBase.num).arg(timeBase.den).arg(sampleRate)
        .arg(QLatin1String(av_get_sample_fmt_name(AVSampleFormat(format))), channelLayout(channels));
}

} // namespace

FilterChain::FilterChain(const char *source, const QString &sourceArguments, const char *sink, const QString &description)
    : description_(description), sourceArguments_(sourceArguments), graph_(avfilter_graph_alloc()), frame_(NewFrame())
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

FilterChain FilterChain::forSound(const AVCodecContext &decoder, AVRational timeBase, const SoundDescription &describe,
                                  int frameSize)
{
    FilterChain chain("abuffer", soundArguments(timeBase, decoder.sample_rate, decoder.sample_fmt, decoder.ch_layout),
                      "abuffersink", describe(std::nullopt));
    chain.inputTimeBase_ = timeBase;
    chain.describeSound_ = describe;
    chain.timesCountSamples_ = timeBase.num == 1 && timeBase.den == decoder.sample_rate;
    chain.frameSize_ = frameSize;
    return chain;
}

void FilterChain::FifoFreer::operator()(AVAudioFifo *fifo) const
{
    av_audio_fifo_free(fifo);
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
    if (frame && describeSound_
        && soundArguments(inputTimeBase_, frame->sample_rate, frame->format, frame->ch_layout) != sourceArguments_)
        buildSoundAgain(*frame);
    if (frame && countsOtherSamples_)
        frame->pts = inputEnd_;
    if (frame && frame->pts != AV_NOPTS_VALUE)
        inputEnd_ = frameEnd(*frame);
    // The input ends where its last frame ends, not where it starts, or a frame-rate filter would
    // drop that last frame.
    const int error = frame ? av_buffersrc_add_frame(source_, frame) : av_buffersrc_close(source_, inputEnd_, AV_BUFFERSRC_FLAG_PUSH);
    // A chain its own filters have closed takes no more frames; that is no failure.
    if (error < 0 && error != AVERROR_EOF)
        throw Failure(QStringLiteral("The filters \"%1\" failed: %2").arg(description_, LibavReason(error)));
}

// libavfilter takes no change of a sound's rate, sample format or channels in a running chain. So
// the chain that took the sound so far is ended, what it gives kept, and a chain for the frame's
// sound built to start at the sample where the last one ended.
void FilterChain::buildSoundAgain(const AVFrame &frame)
{
    push(nullptr);
    for (int status = av_buffersink_get_frame(sink_, frame_.get()); status != AVERROR_EOF;
         status = av_buffersink_get_frame(sink_, frame_.get())) {
        if (status < 0)
            throw Failure(QStringLiteral("The filters \"%1\" failed: %2").arg(description_, LibavReason(status)));
        carry(*frame_);
        av_frame_unref(frame_.get());
    }
    // Times that count the samples of the sound as it began (Ogg's) count those of another rate once
    // it changes, which the demuxer does not tell; from there the sound goes on sample after sample.
    countsOtherSamples_ = countsOtherSamples_ || (timesCountSamples_ && frame.sample_rate != inputTimeBase_.den);
    // The new chain starts where the carried samples end.
    std::optional<int64_t> firstSample;
    if (carried_) {
        const int64_t carriedEnd =
            carriedStart_ + av_rescale_q(av_audio_fifo_size(carried_.get()), AVRational{1, av_buffersink_get_sample_rate(sink_)}, timeBase());
        firstSample = av_rescale_q(carriedEnd, timeBase(), AVRational{1, frame.sample_rate});
    }
    FilterChain next("abuffer", soundArguments(inputTimeBase_, frame.sample_rate, frame.format, frame.ch_layout), "abuffersink",
                     describeSound_(firstSample));
    std::swap(graph_, next.graph_);
    source_ = next.source_;
    sink_ = next.sink_;
    description_ = next.description_;
    sourceArguments_ = next.sourceArguments_;
}

bool FilterChain::pull(const std::function<void(AVFrame *)> &sink)
{
    while (!closed_) {
        const int status = av_buffersink_get_frame(sink_, frame_.get());
        if (status == AVERROR(EAGAIN))
            break;
        if (status == AVERROR_EOF) {
            closed_ = true;
            break;
        }
        if (status < 0)
            throw Failure(QStringLiteral("The filters \"%1\" failed: %2").arg(description_, LibavReason(status)));
        if (describeSound_)
            carry(*frame_);
        else
            sink(frame_.get());
        av_frame_unref(frame_.get());
    }
    handCarried(sink, closed_ ? 1 : frameSize_);
    return closed_;
}

// Sound comes out of the chains in frames of any length; it is carried here and handed on in
// frames of the encoder's size, with times that follow on from one to the next.
void FilterChain::carry(const AVFrame &frame)
{
    if (!carried_) {
        carried_.reset(av_audio_fifo_alloc(AVSampleFormat(frame.format), frame.ch_layout.nb_channels, frameSize_));
        if (!carried_)
            throw Failure(QStringLiteral("Out of memory."));
    }
    if (av_audio_fifo_size(carried_.get()) == 0)
        carriedStart_ = frame.pts;
    if (av_audio_fifo_write(carried_.get(), reinterpret_cast<void **>(frame.extended_data), frame.nb_samples) < frame.nb_samples)
        throw Failure(QStringLiteral("Out of memory."));
}

// Hands on frames of the frame size while at least atLeast samples are carried; 1 at the end hands
// on the last, shorter one too. An encoder that takes frames of any size (frame size 0) takes what
// is carried.
void FilterChain::handCarried(const std::function<void(AVFrame *)> &sink, int atLeast)
{
    while (carried_ && av_audio_fifo_size(carried_.get()) >= std::max(atLeast, 1)) {
        const int carried = av_audio_fifo_size(carried_.get());
        FrameHandle out = NewFrame();
        out->format = av_buffersink_get_format(sink_);
        out->sample_rate = av_buffersink_get_sample_rate(sink_);
        out->nb_samples = frameSize_ > 0 ? std::min(frameSize_, carried) : carried;
        if (av_buffersink_get_ch_layout(sink_, &out->ch_layout) < 0 || av_frame_get_buffer(out.get(), 0) < 0
            || av_audio_fifo_read(carried_.get(), reinterpret_cast<void **>(out->extended_data), out->nb_samples) < out->nb_samples)
            throw Failure(QStringLiteral("Out of memory."));
        out->pts = carriedStart_;
        carriedStart_ += av_rescale_q(out->nb_samples, AVRational{1, out->sample_rate}, timeBase());
        sink(out.get());
    }
}

AVRational FilterChain::timeBase() const
{
    return av_buffersink_get_time_base(sink_);
}

AVRational FilterChain::sampleAspect() const
{
    return av_buffersink_get_sample_aspect_ratio(sink_);
}
