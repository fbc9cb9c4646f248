#include "source/engine/MediaProbe.h"

#include "media/PictureRotation.h"
#include "platform/Failure.h"
#include "platform/NativeFiles.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <memory>

namespace {

struct FormatCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
using FormatContext = std::unique_ptr<AVFormatContext, FormatCloser>;

QString errorText(int error)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

Failure cannotOpen(const QString &path, const QString &reason)
{
    return Failure(QStringLiteral("Cannot open media file %1: %2").arg(path, reason));
}

} // namespace

MediaFacts ProbeMedia(const QString &path)
{
    AVFormatContext *opened = nullptr;
    if (const int error = avformat_open_input(&opened, NativePath(path).constData(), nullptr, nullptr); error < 0)
        throw cannotOpen(path, errorText(error));
    const FormatContext context(opened);
    if (const int error = avformat_find_stream_info(context.get(), nullptr); error < 0)
        throw cannotOpen(path, errorText(error));

    MediaFacts facts;
    bool playable = false;
    qint64 streamBitRates = 0;
    bool everyRateKnown = true;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVCodecParameters *codec = stream->codecpar;
        const bool picture = codec->codec_type == AVMEDIA_TYPE_VIDEO && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
        if (!picture && codec->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        playable = true;
        streamBitRates += codec->bit_rate;
        everyRateKnown = everyRateKnown && codec->bit_rate > 0;
        // The picture as players show it: one stored on its side is turned upright.
        if (picture && facts.width == 0 && codec->width > 0 && codec->height > 0) {
            const bool onItsSide = PictureRotation(stream) % 180 != 0;
            facts.width = onItsSide ? codec->height : codec->width;
            facts.height = onItsSide ? codec->width : codec->height;
        }
    }
    if (!playable)
        throw cannotOpen(path, QStringLiteral("it holds no sound and no picture"));
    if (context->duration != AV_NOPTS_VALUE && context->duration > 0)
        facts.duration = double(context->duration) / AV_TIME_BASE;
    // The streams' own rates leave out the container's overhead, which the file's rate includes.
    facts.bitRate = everyRateKnown ? streamBitRates : qMax<qint64>(context->bit_rate, 0);
    return facts;
}
