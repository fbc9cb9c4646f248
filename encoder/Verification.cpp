#include "encoder/Verification.h"

#include "encoder/SourceProbe.h"
#include "encoder/StopSignals.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Packet timestamps of one stream, in seconds.
struct Span {
    double first = std::numeric_limits<double>::max();
    double lastStart = 0;
    double end = 0;
    int packets = 0;
};

QString fps(double rate)
{
    return QString::number(rate, 'f', 3);
}

QString expectedCodec(VideoCodec codec)
{
    return codec == VideoCodec::Wmv7 ? QStringLiteral("wmv1") : QStringLiteral("wmv2");
}

void comparePicture(const VideoPlan &video, const std::optional<WrittenPicture> &picture, QStringList &differences)
{
    if (!picture) {
        differences += QStringLiteral("The file has no picture stream, though one was asked for.");
        return;
    }
    if (picture->codec != expectedCodec(video.codec))
        differences += QStringLiteral("The picture codec is %1; %2 was asked for.").arg(picture->codec, expectedCodec(video.codec));
    if (picture->width != video.width || picture->height != video.height)
        differences += QStringLiteral("The picture is %1x%2; %3x%4 was asked for.")
                           .arg(picture->width).arg(picture->height).arg(video.width).arg(video.height);
    const double asked = av_q2d(video.frameRate);
    if (picture->frames >= 2 && std::abs(picture->frameRate - asked) > asked * 0.01)
        differences += QStringLiteral("The frame rate is %1 fps; %2 fps was asked for.").arg(fps(picture->frameRate), fps(asked));
}

void compareSound(const AudioFormat &format, const std::optional<WrittenSound> &sound, QStringList &differences)
{
    if (!sound) {
        differences += QStringLiteral("The file has no sound stream, though one was asked for.");
        return;
    }
    if (sound->codec != QLatin1String("wmav2"))
        differences += QStringLiteral("The sound codec is %1; wmav2 was asked for.").arg(sound->codec);
    if (sound->sampleRate != format.sampleRate || sound->channels != format.channels)
        differences += QStringLiteral("The sound is %1 Hz with %2 channel(s); %3 Hz with %4 was asked for.")
                           .arg(sound->sampleRate).arg(sound->channels).arg(format.sampleRate).arg(format.channels);
}

void compareTags(const ContentDescription &content, const QMap<QString, QString> &tags, QStringList &differences)
{
    // The ASF reader gives the author back as the artist.
    const std::pair<const char *, const QString &> texts[] = {
        {"title", content.title}, {"artist", content.author}, {"copyright", content.copyright},
        {"comment", content.description}, {"rating", content.rating},
    };
    for (const auto &[key, text] : texts) {
        const QString written = tags.value(QLatin1String(key));
        if (written != text)
            differences += QStringLiteral("The %1 reads \"%2\"; \"%3\" was asked for.").arg(QLatin1String(key), written, text);
    }
}

} // namespace

WrittenFile ReadBack(const QString &path)
{
    const InputHandle input = OpenMediaFile(path);
    WrittenFile file;
    file.size = avio_size(input->pb);
    const AVDictionaryEntry *tag = nullptr;
    while ((tag = av_dict_get(input->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        file.tags.insert(QString::fromLatin1(tag->key), QString::fromUtf8(tag->value));

    std::vector<Span> spans(input->nb_streams);
    const PacketHandle packet = NewPacket();
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        const AVStream *stream = input->streams[packet->stream_index];
        if (packet->pts != AV_NOPTS_VALUE) {
            Span &span = spans[size_t(packet->stream_index)];
            const double start = double(packet->pts) * av_q2d(stream->time_base);
            span.first = std::min(span.first, start);
            span.lastStart = std::max(span.lastStart, start);
            span.end = std::max(span.end, start + double(packet->duration) * av_q2d(stream->time_base));
            ++span.packets;
        }
        av_packet_unref(packet.get());
    }
    StopIfRequested();

    double first = std::numeric_limits<double>::max();
    double end = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters *codec = input->streams[i]->codecpar;
        const Span &span = spans[i];
        if (span.packets > 0) {
            first = std::min(first, span.first);
            end = std::max(end, span.end);
        }
        const QString name = QString::fromLatin1(avcodec_get_name(codec->codec_id));
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO && !file.picture) {
            const double spacing = span.packets >= 2 ? (span.lastStart - span.first) / (span.packets - 1) : 0;
            file.picture = WrittenPicture{name, codec->width, codec->height, span.packets, spacing > 0 ? 1 / spacing : 0};
        }
        if (codec->codec_type == AVMEDIA_TYPE_AUDIO && !file.sound)
            file.sound = WrittenSound{name, codec->sample_rate, codec->ch_layout.nb_channels};
    }
    file.duration = end > first ? end - first : 0;
    return file;
}

double DurationTolerance(const EncodePlan &plan)
{
    return 0.1 + (plan.video ? 1 / av_q2d(plan.video->frameRate) : 0) + (plan.audio ? 0.05 : 0);
}

QStringList CompareWithPlan(const EncodePlan &plan, const WrittenFile &file)
{
    QStringList differences;
    if (plan.video)
        comparePicture(*plan.video, file.picture, differences);
    else if (file.picture)
        differences += QStringLiteral("The file has a picture stream, though none was asked for.");
    if (plan.audio)
        compareSound(*plan.audio, file.sound, differences);
    else if (file.sound)
        differences += QStringLiteral("The file has a sound stream, though none was asked for.");
    if (plan.duration > 0 && std::abs(file.duration - plan.duration) > DurationTolerance(plan))
        differences += QStringLiteral("The file lasts %1 s; %2 s was expected.")
                           .arg(QString::number(file.duration, 'f', 3), QString::number(plan.duration, 'f', 3));
    compareTags(plan.content, file.tags, differences);
    return differences;
}
