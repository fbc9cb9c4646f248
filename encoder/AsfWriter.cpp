#include "encoder/AsfWriter.h"

#include "encoder/StopSignals.h"
#include "platform/NativeFiles.h"

void AsfWriter::OutputFreer::operator()(AVFormatContext *context) const
{
    avio_closep(&context->pb);
    avformat_free_context(context);
}

AsfWriter::AsfWriter(const QString &path, const ContentDescription &content) : path_(path)
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
            av_dict_set(&output_->metadata, key, text.toUtf8().constData(), 0);
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
    return stream->index;
}

void AsfWriter::begin()
{
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
    if (const int error = av_interleaved_write_frame(output_.get(), packet); error < 0)
        fail(error);
}

void AsfWriter::finish()
{
    if (const int error = av_write_trailer(output_.get()); error < 0)
        fail(error);
    if (const int error = avio_closep(&output_->pb); error < 0)
        fail(error);
}
