#include "encoder/encode/StreamEncoder.h"

#include "platform/Failure.h"

#include <algorithm>
#include <climits>
#include <cmath>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
}

namespace {

// Quality 100 gives the finest quantiser (1), quality 0 the coarsest (31).
int quantiserForQuality(int quality)
{
    return 31 - int(std::lround(quality * 0.3));
}

} // namespace

const char *EncoderName(VideoCodec codec)
{
    return codec == VideoCodec::Wmv7 ? "wmv1" : "wmv2";
}

void StreamEncoder::EncoderFreer::operator()(AVCodecContext *context) const
{
    av_freep(&context->stats_in); // the caller's to free, libavcodec leaves it
    avcodec_free_context(&context);
}

StreamEncoder::StreamEncoder(const char *codecName, const QString &kind)
    : kind_(kind), codec_(avcodec_find_encoder_by_name(codecName)), packet_(NewPacket())
{
    if (!codec_)
        throw Failure(QStringLiteral("This FFmpeg has no %1 encoder.").arg(QLatin1String(codecName)));
    context_.reset(avcodec_alloc_context3(codec_));
    if (!context_)
        throw Failure(QStringLiteral("Out of memory."));
}

void StreamEncoder::open()
{
    // Every thread the codec can use; FFmpeg's WMV and WMA encoders use one.
    context_->thread_count = 0;
    if (const int error = avcodec_open2(context_.get(), codec_, nullptr); error < 0)
        throw Failure(QStringLiteral("Cannot open the %1 encoder: %2").arg(kind_, LibavReason(error)));
}

StreamEncoder StreamEncoder::forPicture(const PicturePlan &video, AVRational sampleAspect, Pass pass,
                                        const QByteArray &statistics, bool globalHeader, double startFullness)
{
    StreamEncoder encoder(EncoderName(video.codec), QStringLiteral("picture"));
    AVCodecContext &context = *encoder.context_;
    context.width = video.width;
    context.height = video.height;
    context.pix_fmt = AV_PIX_FMT_YUV420P;
    context.sample_aspect_ratio = sampleAspect;
    context.framerate = video.frameRate;
    context.time_base = av_inv_q(video.frameRate);
    context.gop_size = video.keyFrameInterval();
    if (video.mode == RateMode::VbrQuality) {
        context.flags |= AV_CODEC_FLAG_QSCALE;
        context.global_quality = FF_QP2LAMBDA * quantiserForQuality(video.quality);
    } else {
        context.bit_rate = video.bitRate;
    }
    if (video.usesBuffer()) {
        // Constant rate: the buffer is the player's, and no stretch of the stream may run faster than
        // the rate. No minimum rate: it asks the encoder to stuff a frame that falls short, which
        // these codecs cannot, and on a still picture at a high rate it fails the encode instead.
        context.rc_max_rate = video.bitRate;
        context.rc_buffer_size = int(std::min(video.bufferBits(), double(INT_MAX)));
        // The encoder spends what it takes to be in the buffer at the start on its first frames. A
        // player's buffer is full then, but a one-pass encoder cannot see that its later frames may
        // need more than the rate even at its coarsest quantiser, and what it spent first would
        // then cost dropped frames: it is given a quarter of the buffer to spend, and less where
        // the buffer is fuller at the start of a piece.
        context.rc_initial_buffer_occupancy = int(context.rc_buffer_size * std::min(0.25, 1 - startFullness));
        // The encoder turns back towards the rate once it has strayed by a quarter of a second's
        // bits (a few frames' at the least), rather than by its default of four megabits, which
        // lets a small rate drift far over a whole file.
        const double frameBits = video.bitRate / av_q2d(video.frameRate);
        context.bit_rate_tolerance = int(std::min(std::max(video.bitRate / 4.0, 4 * frameBits), double(INT_MAX)));
        // The finest quantiser, 1, lets a simple picture fill a high rate too.
        context.qmin = 1;
        context.qmax = CoarsestQuantiser;
        context.mb_lmin = FF_QP2LAMBDA;
        if (const int error = av_opt_set_int(&context, "lmin", FF_QP2LAMBDA, AV_OPT_SEARCH_CHILDREN); error < 0)
            throw Failure(QStringLiteral("Cannot set the picture encoder's finest quantiser: %1").arg(LibavReason(error)));
        // Quality shifts bits between frames: 0 keeps every frame's share even for smooth motion,
        // 100 keeps the quantiser even so that detailed pictures stay crisp.
        context.qcompress = float(video.quality) / 100.0f;
    }
    if (pass == Pass::First)
        context.flags |= AV_CODEC_FLAG_PASS1;
    if (pass == Pass::Second) {
        context.flags |= AV_CODEC_FLAG_PASS2;
        context.stats_in = av_strdup(statistics.constData());
    }
    if (globalHeader)
        context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    encoder.open();
    return encoder;
}

StreamEncoder StreamEncoder::forSound(const AudioFormat &format, bool globalHeader)
{
    StreamEncoder encoder(SoundEncoderName, QStringLiteral("sound"));
    AVCodecContext &context = *encoder.context_;
    context.sample_fmt = AV_SAMPLE_FMT_FLTP;
    context.sample_rate = format.sampleRate;
    av_channel_layout_default(&context.ch_layout, format.channels);
    context.bit_rate = format.bitRate;
    context.time_base = AVRational{1, format.sampleRate};
    if (globalHeader)
        context.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    encoder.open();
    return encoder;
}

bool StreamEncoder::keyFrameDue(const AVFrame &frame, AVRational timeBase) const
{
    // The encoder counts its key-frame distance in frames it encoded; where frames were dropped,
    // that would stretch the distance in time. A picture encoder's time base is one frame, so
    // the distance in frames is the distance in time.
    const int64_t pts = av_rescale_q(frame.pts, timeBase, context_->time_base);
    return context_->codec_type == AVMEDIA_TYPE_VIDEO && lastKey_ != AV_NOPTS_VALUE && pts - lastKey_ >= context_->gop_size;
}

std::optional<double> StreamEncoder::nextKeyFrame() const
{
    if (lastKey_ == AV_NOPTS_VALUE)
        return std::nullopt;
    return double(lastKey_ + context_->gop_size) * av_q2d(context_->time_base);
}

bool StreamEncoder::atCoarsest(const AVPacket &packet)
{
    size_t size = 0;
    const uint8_t *stats = av_packet_get_side_data(&packet, AV_PKT_DATA_QUALITY_STATS, &size);
    return stats && size >= 4 && AV_RL32(stats) >= uint32_t(CoarsestQuantiser * FF_QP2LAMBDA);
}

void StreamEncoder::send(AVFrame *frame, AVRational timeBase)
{
    if (frame) {
        frame->pict_type = keyFrameDue(*frame, timeBase) ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        frame->pts = av_rescale_q(frame->pts, timeBase, context_->time_base);
        frame->quality = context_->global_quality; // a fixed quantiser is taken from each frame
    }
    if (const int error = avcodec_send_frame(context_.get(), frame); error < 0 && error != AVERROR_EOF)
        throw Failure(QStringLiteral("The %1 encoder failed: %2").arg(kind_, LibavReason(error)));
}

void StreamEncoder::receive(const PacketSink &sink)
{
    while (true) {
        const int status = avcodec_receive_packet(context_.get(), packet_.get());
        if (status == AVERROR(EAGAIN) || status == AVERROR_EOF)
            return;
        if (status < 0)
            throw Failure(QStringLiteral("The %1 encoder failed: %2").arg(kind_, LibavReason(status)));
        if (packet_->flags & AV_PKT_FLAG_KEY)
            lastKey_ = packet_->pts;
        if ((context_->flags & AV_CODEC_FLAG_PASS1) && context_->stats_out)
            statistics_ += context_->stats_out;
        sink(packet_.get());
        av_packet_unref(packet_.get());
    }
}
