#include "encoder/write/AsfWriter.h"

#include "encoder/common/StopSignals.h"
#include "encoder/plan/MadeFrom.h"
#include "platform/NativeFiles.h"

#include <QCryptographicHash>
#include <algorithm>
#include <climits>

namespace {

// Data packets of this size keep a seek within a few frames of where it was asked for and cost
// little in their own headers.
constexpr int PacketSize = 3200;

// Room the header keeps for the record to grow by when the file is finished, as the length of
// what the source gave is added to it.
constexpr int RecordRoom = 256;

// A stream that has nothing waiting holds the others' packets back no longer than this: a stream
// that starts late, or ends early, would otherwise keep all of the other in memory.
constexpr int64_t LongestHoldMs = 10000;

// Pictures are described as 24-bit frames, as the format's readers expect of compressed ones.
constexpr uint16_t PictureBits = 24;
// Sound is described as coming from 16-bit samples.
constexpr uint16_t SoundBits = 16;

// The same file is made the same way from the same source with the same settings, to the byte, so
// that a job's output is the folder run's; the File ID comes from the record for that reason.
AsfGuid fileIdOf(const QString &record)
{
    AsfReader digest(QCryptographicHash::hash(record.toUtf8(), QCryptographicHash::Md5));
    return digest.guid();
}

uint32_t codecTag(const AVCodecContext &encoder)
{
    const AVCodecTag *const tables[] = {encoder.codec_type == AVMEDIA_TYPE_VIDEO ? avformat_get_riff_video_tags()
                                                                                 : avformat_get_riff_audio_tags(),
                                        nullptr};
    return av_codec_get_tag(tables, encoder.codec_id);
}

QByteArray extradata(const AVCodecContext &encoder)
{
    return QByteArray(reinterpret_cast<const char *>(encoder.extradata), encoder.extradata_size);
}

// The picture's size, then its BITMAPINFOHEADER with the codec's set-up data.
QByteArray pictureFormat(const AVCodecContext &encoder)
{
    const QByteArray setUp = extradata(encoder);
    const uint32_t formatSize = uint32_t(40 + setUp.size());
    AsfBytes bytes;
    bytes.u32(uint32_t(encoder.width)).u32(uint32_t(encoder.height)).u8(2).u16(uint16_t(formatSize))
        .u32(formatSize).u32(uint32_t(encoder.width)).u32(uint32_t(encoder.height)).u16(1).u16(PictureBits)
        .u32(codecTag(encoder)).u32(uint32_t(encoder.width * encoder.height * 3)).u32(0).u32(0).u32(0).u32(0).raw(setUp);
    return bytes.bytes();
}

// The sound's WAVEFORMATEX with the codec's set-up data.
QByteArray soundFormat(const AVCodecContext &encoder)
{
    const QByteArray setUp = extradata(encoder);
    AsfBytes bytes;
    bytes.u16(uint16_t(codecTag(encoder))).u16(uint16_t(encoder.ch_layout.nb_channels)).u32(uint32_t(encoder.sample_rate))
        .u32(uint32_t(encoder.bit_rate / 8)).u16(uint16_t(encoder.block_align)).u16(SoundBits).u16(uint16_t(setUp.size()))
        .raw(setUp);
    return bytes.bytes();
}

// The sound's spread over a span of one packet, which leaves its frames in their order.
QByteArray soundSpread(const AVCodecContext &encoder)
{
    AsfBytes bytes;
    bytes.u8(1).u16(uint16_t(encoder.block_align)).u16(uint16_t(encoder.block_align)).u16(1).u8(0);
    return bytes.bytes();
}

QByteArray tagBytes(const AVCodecContext &encoder)
{
    AsfBytes bytes;
    if (encoder.codec_type == AVMEDIA_TYPE_VIDEO)
        bytes.u32(codecTag(encoder));
    else
        bytes.u16(uint16_t(codecTag(encoder)));
    return bytes.bytes();
}

uint32_t clampedToU32(int64_t value)
{
    return uint32_t(std::clamp<int64_t>(value, 0, UINT32_MAX));
}

} // namespace

AsfWriter::AsfWriter(const QString &path, const EncodePlan &plan)
    : path_(path), content_(plan.content), record_(plan.madeFrom), madeNs_(plan.madeNs), fileId_(fileIdOf(plan.madeFrom))
{
}

void AsfWriter::fail(int error) const
{
    StopIfRequested();
    throw WriteFailure(LibavReason(error));
}

void AsfWriter::checkWritten() const
{
    if (file_->error < 0)
        fail(file_->error);
}

int AsfWriter::addStream(const AVCodecContext &encoder, const StreamRate &rate)
{
    Stream stream;
    AsfStreamFacts &facts = stream.facts;
    facts.number = int(streams_.size()) + 1;
    facts.picture = encoder.codec_type == AVMEDIA_TYPE_VIDEO;
    const AVCodecDescriptor *descriptor = avcodec_descriptor_get(encoder.codec_id);
    facts.codecName = QString::fromLatin1(descriptor ? descriptor->long_name : avcodec_get_name(encoder.codec_id));
    facts.codecInformation = tagBytes(encoder);
    if (facts.picture) {
        facts.typeSpecific = pictureFormat(encoder);
        facts.frameTicks = uint64_t(1000 * AsfTicksPerMs / av_q2d(encoder.framerate));
        facts.aspectX = encoder.sample_aspect_ratio.num;
        facts.aspectY = encoder.sample_aspect_ratio.den;
    } else {
        facts.typeSpecific = soundFormat(encoder);
        facts.errorCorrection = soundSpread(encoder);
        facts.frameTicks = uint64_t(av_rescale(encoder.frame_size, 1000 * AsfTicksPerMs, encoder.sample_rate));
    }
    facts.dataBitRate = clampedToU32(rate.bitRate.value_or(0));
    facts.bufferMs = clampedToU32(rate.bufferMs);
    stream.declaredBitRate = rate.bitRate;
    stream.timeBase = encoder.time_base;
    stream.frameBytes = encoder.block_align;
    streams_.push_back(std::move(stream));
    return int(streams_.size()) - 1;
}

void AsfWriter::begin()
{
    for (const Stream &stream : streams_)
        prerollMs_ = std::max(prerollMs_, stream.facts.bufferMs);
    // A data packet is where a player's seek lands. Pictures seek to their key frames through the
    // index, but a packet holds up to a second of low-rate sound. A file of sound alone has
    // packets of one sound frame each instead, so that a seek from the time alone lands within a
    // frame and costs no padding.
    packetSize_ = PacketSize;
    if (streams_.size() == 1 && !streams_.front().facts.picture && streams_.front().frameBytes > 0)
        packetSize_ = streams_.front().frameBytes + AsfPacketHeaderSize + AsfPayloadHeaderSize;
    AVIOContext *opened = nullptr;
    if (const int error = avio_open2(&opened, NativePath(path_).constData(), AVIO_FLAG_WRITE, &StopCallback, nullptr); error < 0)
        fail(error);
    file_.reset(opened);
    packets_.emplace(packetSize_, prerollMs_, [this](const QByteArray &packet) {
        avio_write(file_.get(), reinterpret_cast<const unsigned char *>(packet.constData()), int(packet.size()));
        checkWritten();
    });
    writeHeaderAndData(record_, 0);
}

int64_t AsfWriter::startMs(const Stream &stream, const AVPacket &packet) const
{
    const int64_t time = packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
    return std::max<int64_t>(0, av_rescale_q(time, stream.timeBase, AVRational{1, 1000}));
}

void AsfWriter::write(AVPacket *packet, int stream, AVRational timeBase)
{
    Stream &written = streams_[size_t(stream)];
    written.timeBase = timeBase;
    written.waiting.push_back(TakePacket(packet));
    interleave(false);
}

void AsfWriter::interleave(bool all)
{
    while (true) {
        Stream *earliest = nullptr;
        bool oneEmpty = false;
        int64_t latestMs = 0;
        for (Stream &stream : streams_) {
            if (stream.waiting.empty()) {
                oneEmpty = true;
                continue;
            }
            latestMs = std::max(latestMs, startMs(stream, *stream.waiting.back()));
            if (!earliest || startMs(stream, *stream.waiting.front()) < startMs(*earliest, *earliest->waiting.front()))
                earliest = &stream;
        }
        if (!earliest || (oneEmpty && !all && latestMs - startMs(*earliest, *earliest->waiting.front()) <= LongestHoldMs))
            return;
        place(*earliest, *earliest->waiting.front());
        earliest->waiting.pop_front();
    }
}

void AsfWriter::place(Stream &stream, const AVPacket &packet)
{
    const int64_t start = startMs(stream, packet);
    const int64_t length = packet.duration > 0 ? av_rescale_q(packet.duration, stream.timeBase, AVRational{1, 1000})
                                               : int64_t(stream.facts.frameTicks / AsfTicksPerMs);
    const bool picture = stream.facts.picture;
    packets_->add({stream.facts.number, stream.frames++, clampedToU32(start + prerollMs_), picture && (packet.flags & AV_PKT_FLAG_KEY),
                   picture, packet.data, packet.size});
    stream.bytes += packet.size;
    stream.firstMs = std::min(stream.firstMs.value_or(start), start);
    stream.endMs = std::max(stream.endMs, start + length);
    stream.facts.largestObject = std::max(stream.facts.largestObject, uint32_t(packet.size));
}

AsfHeaderFacts AsfWriter::headerFacts(const QString &record) const
{
    AsfHeaderFacts facts;
    facts.fileId = fileId_;
    facts.created = madeNs_;
    facts.prerollMs = prerollMs_;
    facts.packetSize = uint32_t(packetSize_);
    facts.packets = packets_ ? packets_->packets() : 0;
    int64_t endMs = 0;
    for (const Stream &stream : streams_) {
        AsfStreamFacts described = stream.facts;
        const int64_t lastedMs = stream.firstMs ? stream.endMs - *stream.firstMs : 0;
        described.averageBitRate = lastedMs > 0 ? clampedToU32(stream.bytes * 8 * 1000 / lastedMs) : 0;
        if (!stream.declaredBitRate)
            described.dataBitRate = described.averageBitRate;
        facts.streams.push_back(std::move(described));
        endMs = std::max(endMs, stream.endMs);
    }
    facts.sendTicks = uint64_t(endMs) * AsfTicksPerMs;
    facts.playTicks = uint64_t(endMs + prerollMs_) * AsfTicksPerMs;
    facts.content = content_;
    facts.recordName = QLatin1String(MadeFromTag);
    facts.record = record;
    return facts;
}

void AsfWriter::writeHeaderAndData(const QString &record, uint64_t fileSize)
{
    AsfHeaderFacts facts = headerFacts(record);
    facts.fileSize = fileSize;
    const qsizetype bare = AsfHeaderBytes(facts, 0).size();
    if (headerSize_ == 0)
        headerSize_ = bare + RecordRoom;
    if (bare > headerSize_)
        throw WriteFailure(QStringLiteral("The record of what the file was made from outgrew the room kept for it."));
    const QByteArray header = AsfHeaderBytes(facts, int(headerSize_ - bare));
    AsfBytes data;
    data.guid(AsfGuids::Data).u64(AsfDataHeaderSize + facts.packets * uint64_t(packetSize_)).guid(fileId_).u64(facts.packets).u8(1).u8(1);
    if (const int64_t sought = avio_seek(file_.get(), 0, SEEK_SET); sought < 0)
        fail(int(sought));
    avio_write(file_.get(), reinterpret_cast<const unsigned char *>(header.constData()), int(header.size()));
    avio_write(file_.get(), reinterpret_cast<const unsigned char *>(data.bytes().constData()), int(data.size()));
    checkWritten();
}

void AsfWriter::finish(const QString &record)
{
    interleave(true);
    packets_->finish();
    const AsfHeaderFacts facts = headerFacts(record);
    const QByteArray index = packets_->simpleIndex(fileId_, facts.playTicks);
    avio_write(file_.get(), reinterpret_cast<const unsigned char *>(index.constData()), int(index.size()));
    checkWritten();
    writeHeaderAndData(record, uint64_t(headerSize_ + AsfDataHeaderSize) + facts.packets * uint64_t(packetSize_) + uint64_t(index.size()));
    avio_flush(file_.get());
    checkWritten();
    AVIOContext *closing = file_.release();
    if (const int error = avio_closep(&closing); error < 0)
        fail(error);
}
