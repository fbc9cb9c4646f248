#include "UtilityProcess.h"

#include "platform/NativeFiles.h"

#include <QFile>
#include <QProcess>
#include <QtEndian>
#include <QRegularExpression>

extern "C" {
#include <libavformat/avformat.h>
}

QString UtilityPath()
{
    return qEnvironmentVariable("QUILLMARK_BIN_DIR") + QStringLiteral("/WM8EUTIL.EXE");
}

UtilityRun RunUtilityProcess(const QStringList &arguments, const std::function<void()> &childSetUp, const QStringList &environment)
{
    QProcess process;
    if (childSetUp)
        process.setChildProcessModifier(childSetUp);
    process.setProcessEnvironment(UtilityEnvironment(environment));
    process.start(UtilityPath(), arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1,
            QString::fromLocal8Bit(process.readAllStandardOutput()), QString::fromLocal8Bit(process.readAllStandardError())};
}

QProcessEnvironment UtilityEnvironment(const QStringList &variables)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : variables)
        environment.insert(entry.section(u'=', 0, 0), entry.section(u'=', 1));
    return environment;
}

QString Describe(const UtilityRun &run)
{
    return QStringLiteral("exit %1\n%2\n%3").arg(run.exitCode).arg(run.out, run.err);
}

double WrittenMedia::longestPictureWait(double bitRate, double bufferSeconds) const
{
    double longest = 0;
    for (qsizetype first = 0; first < pictureStarts.size(); ++first) {
        double bits = 0;
        for (qsizetype last = first; last < pictureStarts.size(); ++last) {
            bits += pictureSizes[last] * 8.0;
            const double stretch = pictureStarts[last] - pictureStarts[first];
            longest = std::max(longest, bits / bitRate - stretch - bufferSeconds);
        }
    }
    return longest;
}

std::optional<PictureRate> ShownPictureRate(const QString &console)
{
    static const QRegularExpression line(QStringLiteral("at ([\\d.]+) fps; CBR, [a-z ]+, (\\d+) bit/s, buffer (\\d+) ms"));
    const QRegularExpressionMatch shown = line.match(console);
    if (!shown.hasMatch())
        return std::nullopt;
    return PictureRate{shown.captured(2).toDouble(), shown.captured(3).toDouble() / 1000, shown.captured(1).toDouble()};
}

namespace {

// The preroll of an ASF file's File Properties object, which the header object holds among others:
// each object begins with its GUID and its size, the header object with six more bytes.
int prerollOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.read(1 << 20);
    const QByteArray fileProperties = QByteArray::fromHex("a1dcab8c47a9cf118ee400c00c205365");
    for (qsizetype at = 30; at + 24 <= bytes.size();) {
        const qint64 size = qFromLittleEndian<qint64>(bytes.constData() + at + 16);
        if (bytes.mid(at, 16) == fileProperties && at + 88 <= bytes.size())
            return int(qFromLittleEndian<quint64>(bytes.constData() + at + 80));
        if (size < 24)
            return -1;
        at += size;
    }
    return -1;
}

} // namespace

WrittenMedia ReadMedia(const QString &path)
{
    WrittenMedia written;
    written.prerollMs = prerollOf(path);
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, NativePath(path).constData(), nullptr, nullptr) < 0)
        return written;
    written.readable = avformat_find_stream_info(context, nullptr) >= 0;
    written.duration = double(context->duration) / AV_TIME_BASE;
    written.startTime = context->start_time == AV_NOPTS_VALUE ? -1 : double(context->start_time) / AV_TIME_BASE;
    int pictureStream = -1;
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVCodecParameters *codec = stream->codecpar;
        const QString name = QLatin1String(avcodec_get_name(codec->codec_id));
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
            pictureStream = int(i);
            written.picture = QStringLiteral("%1 %2x%3 %4/%5").arg(name).arg(codec->width).arg(codec->height)
                                  .arg(stream->avg_frame_rate.num).arg(stream->avg_frame_rate.den);
        } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO) {
            written.sound = QStringLiteral("%1 %2 %3").arg(name).arg(codec->sample_rate).arg(codec->ch_layout.nb_channels);
        }
    }
    AVPacket *packet = av_packet_alloc();
    while (av_read_frame(context, packet) >= 0) {
        const double start = double(packet->pts) * av_q2d(context->streams[packet->stream_index]->time_base);
        if (packet->stream_index == pictureStream) {
            written.pictureStarts += start;
            written.pictureSizes += packet->size;
            written.pictureBytes += packet->size;
            if (packet->flags & AV_PKT_FLAG_KEY) {
                ++written.keyFrames;
                written.keyFrameStarts += start;
            }
        } else {
            written.soundBytes += packet->size;
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    const AVDictionaryEntry *tag = nullptr;
    while ((tag = av_dict_get(context->metadata, "", tag, AV_DICT_IGNORE_SUFFIX)))
        written.tags.insert(QLatin1String(tag->key), QString::fromUtf8(tag->value));
    avformat_close_input(&context);
    return written;
}
