#include "encoder/write/AsfWriter.h"

#include "encoder/common/StopSignals.h"
#include "encoder/plan/MadeFrom.h"
#include "platform/NativeFiles.h"

#include <algorithm>

extern "C" {
#include <libavutil/opt.h>
}

namespace {

// What the ASF muxer puts before a payload that fills a data packet alone: the packet's own
// header (error correction, flags, send time, duration: 11 bytes) and the payload's (stream,
// object number, offset, replicated size and time: 15 bytes).
constexpr int SinglePayloadOverhead = 26;

} // namespace

void AsfWriter::OutputFreer::operator()(AVFormatContext *context) const
{
    avio_closep(&context->pb);
    avformat_free_context(context);
}

AsfWriter::AsfWriter(const QString &path, const ContentDescription &content, const QString &madeFrom) : path_(path)
{
    AVFormatContext *made = nullptr;
    if (const int error = avformat_alloc_output_context2(&made, nullptr, "asf", nullptr); error < 0)
        fail(error);
    output_.reset(made);
    // The names the ASF muxer takes for the five texts of the content description.
    const std::pair<const char *, const QString &> texts[] = {
        {"title", content.title}, {"author", content.author}, {"copyright", content.copyright},
        {"comment", content.description}, {"rating", content.rating},
    };
    for (const auto &[key, text] : texts)
        if (!text.isEmpty())
            if (const int error = av_dict_set(&output_->metadata, key, text.toUtf8().constData(), 0); error < 0)
                fail(error);
    if (const int error = av_dict_set(&output_->metadata, MadeFromTag, madeFrom.toUtf8().constData(), 0); error < 0)
        fail(error);
}

void AsfWriter::fail(int error) const
{
    StopIfRequested();
    throw WriteFailure(LibavReason(error));
}

bool AsfWriter::wantsGlobalHeaders() const
{
    return output_->oformat->flags & AVFMT_GLOBALHEADER;
}

int AsfWriter::addStream(const AVCodecContext &encoder)
{
    AVStream *stream = avformat_new_stream(output_.get(), nullptr);
    if (!stream)
        throw Failure(QStringLiteral("Out of memory."));
    if (const int error = avcodec_parameters_from_context(stream->codecpar, &encoder); error < 0)
        fail(error);
    stream->time_base = encoder.time_base;
    stream->avg_frame_rate = encoder.framerate;
    stream->sample_aspect_ratio = encoder.sample_aspect_ratio;
    written_.emplace_back();
    return stream->index;
}

// A data packet is where a player's seek lands. Pictures seek to their key frames through the
// index, but the muxer indexes only pictures, and its packets of 3200 bytes hold up to a second of
// low-rate sound. A file of sound alone gets packets of one sound frame each instead, so that a
// seek from the time alone lands within a frame (46 ms at 44.1 kHz) and costs no padding.
void AsfWriter::fitPacketsToSound()
{
    if (output_->nb_streams != 1 || output_->streams[0]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
        return;
    const int frameBytes = output_->streams[0]->codecpar->block_align;
    if (frameBytes > 0)
        if (const int error = av_opt_set_int(output_->priv_data, "packet_size", frameBytes + SinglePayloadOverhead, 0); error < 0)
            fail(error);
}

void AsfWriter::begin()
{
    fitPacketsToSound();
    if (const int error = avio_open2(&output_->pb, NativePath(path_).constData(), AVIO_FLAG_WRITE, &StopCallback, nullptr);
        error < 0)
        fail(error);
    if (const int error = avformat_write_header(output_.get(), nullptr); error < 0)
        fail(error);
}

void AsfWriter::write(AVPacket *packet, int stream, AVRational timeBase)
{
    packet->stream_index = stream;
    av_packet_rescale_ts(packet, timeBase, output_->streams[stream]->time_base);
    Written &written = written_[size_t(stream)];
    written.bytes += packet->size;
    if (written.first == AV_NOPTS_VALUE)
        written.first = packet->pts;
    written.end = std::max(written.end, packet->pts + packet->duration);
    if (const int error = av_interleaved_write_frame(output_.get(), packet); error < 0)
        fail(error);
}

// The header is written before the first packet, with the rate the picture encoder was set to;
// the muxer writes it again at the end, and by then it can tell what the picture really takes.
// The sound keeps its rate: its decoder reads its coding from it.
void AsfWriter::declareWrittenPictureRate()
{
    for (unsigned i = 0; i < output_->nb_streams; ++i) {
        const AVStream *stream = output_->streams[i];
        const Written &written = written_[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO && written.first != AV_NOPTS_VALUE && written.end > written.first)
            stream->codecpar->bit_rate = int64_t(double(written.bytes) * 8 / (double(written.end - written.first) * av_q2d(stream->time_base)));
    }
}

void AsfWriter::finish()
{
    declareWrittenPictureRate();
    if (const int error = av_write_trailer(output_.get()); error < 0)
        fail(error);
    if (const int error = avio_closep(&output_->pb); error < 0)
        fail(error);
}
