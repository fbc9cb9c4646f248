#include "encoder/check/Damage.h"

#include "encoder/common/StopSignals.h"
#include "encoder/probe/SourceProbe.h"
#include "encoder/write/AsfPackets.h"
#include "platform/NativeFiles.h"

#include <algorithm>
#include <vector>

namespace {

// Data packets are read about a megabyte at a time.
constexpr qint64 BytesAtOnce = 1 << 20;

// The low bits of a packet's payload flags, which count its payloads.
constexpr uint8_t PayloadCountBits = 0x3F;

// The simple index: its File ID, the time between its entries, its largest packet count and how
// many entries it holds; then each entry's first packet and packet count.
constexpr qint64 IndexHeaderSize = 16 + 8 + 4 + 4;
constexpr qint64 IndexEntrySize = 4 + 2;
// Ten hours of entries a tenth of a second apart take 2 MB; no index the writer makes is larger.
constexpr qint64 LargestIndex = 64 << 20;

// How long before the end the last frames are decoded from.
constexpr int64_t DecodedEnd = AV_TIME_BASE;

const DeclaredStream *streamNumbered(const DeclaredFile &file, int number)
{
    const auto found = std::find_if(file.streams.begin(), file.streams.end(), [&](const DeclaredStream &stream) { return stream.number == number; });
    return found != file.streams.end() ? &*found : nullptr;
}

// Whether the packet is laid out as the writer lays them out: its flags, then payloads of streams
// the header declares, each within its frame, which with the padding fill the packet. Notes whether
// it holds a key frame of the picture.
bool packetWhole(const QByteArray &bytes, const DeclaredFile &file, bool &pictureKey)
{
    AsfReader packet(bytes);
    const uint8_t errorCorrection = packet.u8();
    const uint16_t errorCorrectionData = packet.u16();
    const uint8_t lengthTypes = packet.u8();
    const uint8_t properties = packet.u8();
    const uint16_t padding = packet.u16();
    packet.skip(4 + 2); // send time and duration
    const uint8_t payloadFlags = packet.u8();
    const int payloads = payloadFlags & PayloadCountBits;
    if (errorCorrection != AsfErrorCorrectionFlags || errorCorrectionData != 0 || lengthTypes != AsfLengthTypeFlags
        || properties != AsfPropertyFlags || (payloadFlags & ~PayloadCountBits) != AsfPayloadFlags || payloads == 0)
        return false;
    qint64 used = AsfPacketHeaderSize;
    for (int payload = 0; payload < payloads; ++payload) {
        const uint8_t stream = packet.u8();
        packet.u8(); // the frame's number
        const uint32_t offset = packet.u32();
        const uint8_t replicated = packet.u8();
        const uint32_t frameSize = packet.u32();
        packet.u32(); // the frame's presentation time
        const uint16_t length = packet.u16();
        packet.skip(length);
        const DeclaredStream *declared = streamNumbered(file, stream & ~AsfKeyFrameFlag);
        if (!declared || replicated != AsfReplicatedSize || length == 0 || uint64_t(offset) + length > frameSize)
            return false;
        pictureKey = pictureKey || (declared->picture && (stream & AsfKeyFrameFlag));
        used += AsfPayloadHeaderSize + length;
    }
    return !packet.ranOut() && used + padding == bytes.size();
}

// The first data packet that is not laid out as the writer lays them out, counting from 1; nothing
// where all are. Notes whether the picture has key frames.
std::optional<uint64_t> damagedPacket(const ByteReader &read, const DeclaredFile &file, bool &pictureKey)
{
    const qint64 packetSize = file.packetSize;
    const uint64_t atOnce = uint64_t(std::max<qint64>(1, BytesAtOnce / packetSize));
    for (uint64_t first = 0; first < file.packets; first += atOnce) {
        StopIfRequested();
        const uint64_t count = std::min(atOnce, file.packets - first);
        const QByteArray bytes = read(file.dataOffset + AsfDataHeaderSize + qint64(first) * packetSize, qint64(count) * packetSize);
        for (uint64_t packet = 0; packet < count; ++packet)
            if (qint64(packet + 1) * packetSize > bytes.size()
                || !packetWhole(QByteArray::fromRawData(bytes.constData() + packet * packetSize, packetSize), file, pictureKey))
                return first + packet + 1;
    }
    return std::nullopt;
}

// Whether the index is one the writer makes of the file: entries for the whole of its play time,
// each pointing into the data packets.
bool indexWhole(const QByteArray &body, const DeclaredFile &file)
{
    AsfReader index(body);
    index.guid(); // File ID
    const uint64_t interval = index.u64();
    index.u32(); // the largest packet count
    const uint32_t entries = index.u32();
    if (interval == 0 || entries == 0 || body.size() != IndexHeaderSize + qint64(entries) * IndexEntrySize
        || (entries - 1) * interval > file.playTicks || entries * interval <= file.playTicks)
        return false;
    for (uint32_t entry = 0; entry < entries; ++entry) {
        const uint32_t packet = index.u32();
        if (packet >= file.packets || index.u16() == 0)
            return false;
    }
    return !index.ranOut();
}

// How what follows the data object up to the file's end breaks what the header promises: only
// whole indexes of the file, and one where the picture has key frames to seek to.
std::optional<QString> indexDamage(const ByteReader &read, const DeclaredFile &file, bool pictureKey)
{
    const qint64 start = file.dataOffset + qint64(file.dataSize);
    const qint64 size = qint64(file.fileSize) - start;
    if (size > LargestIndex)
        return QStringLiteral("it holds %1 bytes after its data, more than an index").arg(size);
    AsfReader objects(read(start, size));
    bool indexed = false;
    while (objects.left() > 0) {
        const AsfGuid kind = objects.guid();
        const uint64_t objectSize = objects.u64();
        if (kind != AsfGuids::SimpleIndex || objectSize < uint64_t(AsfObjectHeaderSize)
            || objectSize - AsfObjectHeaderSize > uint64_t(objects.left())
            || !indexWhole(objects.take(qint64(objectSize) - AsfObjectHeaderSize), file))
            return QStringLiteral("its index is damaged");
        indexed = true;
    }
    if (!indexed && file.seekable && pictureKey)
        return QStringLiteral("its index is missing");
    return std::nullopt;
}

CodecHandle openDecoder(const AVCodecParameters &parameters)
{
    const AVCodec *codec = avcodec_find_decoder(parameters.codec_id);
    CodecHandle decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder)
        return nullptr;
    // A damaged frame is a failure, not concealed; one thread is enough for a second of it.
    decoder->err_recognition = AV_EF_EXPLODE;
    decoder->thread_count = 1;
    if (avcodec_parameters_to_context(decoder.get(), &parameters) < 0 || avcodec_open2(decoder.get(), codec, nullptr) < 0)
        return nullptr;
    return decoder;
}

// Sends the packet to the decoder, or with nothing the end of the stream, and takes the frames it
// gives; returns a libav error, 0 where all decoded, and counts the frames.
int decode(AVCodecContext *decoder, const AVPacket *packet, AVFrame *frame, int &frames)
{
    if (const int sent = avcodec_send_packet(decoder, packet); sent < 0)
        return sent;
    while (true) {
        const int received = avcodec_receive_frame(decoder, frame);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return 0;
        if (received < 0)
            return received;
        const bool damaged = frame->decode_error_flags != 0 || (frame->flags & AV_FRAME_FLAG_CORRUPT);
        av_frame_unref(frame);
        if (damaged)
            return AVERROR_INVALIDDATA;
        ++frames;
    }
}

// How the last second of the file fails to decode, as a player decodes it after a seek there: the
// picture from the key frame before it, the sound from its start, each stream to its end.
std::optional<QString> lastSecondDamage(const QString &path)
{
    const InputHandle input = OpenMediaFile(path);
    std::vector<CodecHandle> decoders;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        decoders.push_back(openDecoder(*input->streams[i]->codecpar));
        if (!decoders.back())
            return QStringLiteral("its stream %1 cannot be decoded").arg(i + 1);
    }
    const int64_t from = input->duration != AV_NOPTS_VALUE ? std::max<int64_t>(input->duration - DecodedEnd, 0) : 0;
    if (from > 0)
        if (const int error = av_seek_frame(input.get(), -1, from, AVSEEK_FLAG_BACKWARD); error < 0)
            return QStringLiteral("its last second cannot be found: %1").arg(LibavReason(error));
    std::vector<int> frames(decoders.size(), 0);
    std::vector<bool> started(decoders.size(), false);
    const PacketHandle packet = NewPacket();
    const FrameHandle frame = NewFrame();
    int status = 0;
    while ((status = av_read_frame(input.get(), packet.get())) >= 0) {
        const size_t stream = size_t(packet->stream_index);
        const AVStream &read = *input->streams[stream];
        // A picture decodes from the key frame the seek found on, the sound from its last second.
        started[stream] = started[stream]
                       || (read.codecpar->codec_type == AVMEDIA_TYPE_VIDEO
                               ? (packet->flags & AV_PKT_FLAG_KEY)
                               : packet->pts != AV_NOPTS_VALUE && av_rescale_q(packet->pts, read.time_base, AVRational{1, AV_TIME_BASE}) >= from);
        const int error = started[stream] ? decode(decoders[stream].get(), packet.get(), frame.get(), frames[stream]) : 0;
        av_packet_unref(packet.get());
        if (error < 0)
            return QStringLiteral("its last second does not decode: %1").arg(LibavReason(error));
    }
    StopIfRequested();
    if (status != AVERROR_EOF)
        return QStringLiteral("its last second cannot be read: %1").arg(LibavReason(status));
    for (size_t stream = 0; stream < decoders.size(); ++stream) {
        if (const int error = started[stream] ? decode(decoders[stream].get(), nullptr, frame.get(), frames[stream]) : 0; error < 0)
            return QStringLiteral("its last second does not decode: %1").arg(LibavReason(error));
        if (started[stream] && frames[stream] == 0)
            return QStringLiteral("its last second holds no frame that decodes");
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> LayoutDamage(const ByteReader &read, qint64 size)
{
    const std::optional<DeclaredFile> file = ReadDeclaredHeader(read);
    if (!file)
        return QStringLiteral("its header cannot be read");
    if (qint64(file->fileSize) != size)
        return QStringLiteral("it holds %1 bytes; its header says %2").arg(size).arg(file->fileSize);
    // The header read whole, so the data object's own header lies within the file.
    const uint64_t room = file->fileSize - uint64_t(file->dataOffset);
    if (file->packetSize == 0 || file->dataPackets != file->packets || file->packets > room / file->packetSize
        || file->dataSize != AsfDataHeaderSize + file->packets * file->packetSize || file->dataSize > room)
        return QStringLiteral("its data does not hold the %1 packets its header counts").arg(file->packets);
    bool pictureKey = false;
    if (const std::optional<uint64_t> packet = damagedPacket(read, *file, pictureKey))
        return QStringLiteral("its data packet %1 of %2 is damaged").arg(*packet).arg(file->packets);
    return indexDamage(read, *file, pictureKey);
}

std::optional<QString> DamageIn(const QString &path)
{
    std::optional<QString> damage;
    try {
        RegularFileReader file(path);
        damage = LayoutDamage([&](qint64 offset, qint64 count) { return file.readAt(offset, count); }, file.size());
        if (!damage)
            damage = lastSecondDamage(path);
    } catch (const Stopped &) {
        throw;
    } catch (const Failure &failure) {
        damage = failure.message();
    }
    // What libav said of this file is no reason for what later fails.
    ForgetLibavComplaint();
    return damage;
}
