#include "encoder/write/AsfPackets.h"

#include <algorithm>
#include <limits>

namespace {

// A picture frame is begun in what is left of a packet only where this much of it fits; a smaller
// start would cost a payload header for a few bytes.
constexpr int SmallestStart = 64;

// The index tells where to start for every tenth of a second of presentation time, the preroll
// included: coarser entries would fall between key frames wherever the preroll is not a whole number
// of them, and a seek would land a key frame early.
constexpr uint64_t IndexInterval = 100 * AsfTicksPerMs;

} // namespace

AsfPacketizer::AsfPacketizer(int packetSize, uint32_t prerollMs, PacketSink sink)
    : packetSize_(std::max(packetSize, AsfPacketHeaderSize + AsfPayloadHeaderSize + 1)), prerollMs_(prerollMs), sink_(std::move(sink))
{
}

void AsfPacketizer::add(const AsfFrame &frame)
{
    if (frame.size <= 0)
        return;
    // The packets the frame begins and ends in.
    uint64_t firstPacket = 0;
    uint64_t lastPacket = 0;
    int offset = 0;
    do {
        const int rest = frame.size - offset;
        const bool fits = rest <= room();
        const bool wholeSoundFrame = !frame.picture && rest <= packetSize_ - AsfPacketHeaderSize - AsfPayloadHeaderSize;
        if (count_ > 0 && (count_ == AsfMostPayloads || (!fits && (wholeSoundFrame || room() < SmallestStart)))) {
            flush();
            continue;
        }
        const int length = std::min(rest, room());
        if (offset == 0)
            firstPacket = packets_;
        place(frame, offset, length);
        lastPacket = packets_;
        offset += length;
        if (room() < 1)
            flush();
    } while (offset < frame.size);
    if (frame.picture && frame.key)
        keyFrames_.push_back({frame.presentationMs, uint32_t(firstPacket), uint16_t(std::min<uint64_t>(lastPacket - firstPacket + 1, UINT16_MAX))});
}

void AsfPacketizer::place(const AsfFrame &frame, int offset, int length)
{
    if (count_ == 0)
        firstMs_ = frame.presentationMs;
    lastMs_ = frame.presentationMs;
    payloads_.u8(uint8_t(frame.stream | (frame.key ? AsfKeyFrameFlag : 0))).u8(frame.number).u32(uint32_t(offset))
        .u8(AsfReplicatedSize).u32(uint32_t(frame.size)).u32(frame.presentationMs).u16(uint16_t(length))
        .raw(QByteArray::fromRawData(reinterpret_cast<const char *>(frame.data) + offset, length));
    used_ += AsfPayloadHeaderSize + length;
    ++count_;
}

void AsfPacketizer::flush()
{
    if (count_ == 0)
        return;
    const int padding = packetSize_ - used_;
    // A packet is sent the preroll before its first frame is shown.
    const uint32_t sendMs = firstMs_ > prerollMs_ ? firstMs_ - prerollMs_ : 0;
    AsfBytes packet;
    packet.u8(AsfErrorCorrectionFlags).u16(0).u8(AsfLengthTypeFlags).u8(AsfPropertyFlags).u16(uint16_t(padding)).u32(sendMs)
        .u16(uint16_t(std::min<uint32_t>(lastMs_ - firstMs_, UINT16_MAX))).u8(uint8_t(AsfPayloadFlags | count_))
        .raw(payloads_.bytes()).zeros(padding);
    sink_(packet.bytes());
    ++packets_;
    payloads_ = AsfBytes();
    used_ = AsfPacketHeaderSize;
    count_ = 0;
}

void AsfPacketizer::finish()
{
    flush();
}

QByteArray AsfPacketizer::simpleIndex(const AsfGuid &fileId, uint64_t playTicks) const
{
    if (keyFrames_.empty())
        return {};
    const uint64_t entries = playTicks / IndexInterval + 1;
    AsfBytes list;
    uint16_t most = 0;
    auto key = keyFrames_.begin();
    for (uint64_t entry = 0; entry < entries; ++entry) {
        // The last key frame shown by then, or the first where none is.
        while (key + 1 != keyFrames_.end() && (key + 1)->presentationMs * uint64_t(AsfTicksPerMs) <= entry * IndexInterval)
            ++key;
        list.u32(key->firstPacket).u16(key->packetCount);
        most = std::max(most, key->packetCount);
    }
    AsfBytes body;
    body.guid(fileId).u64(IndexInterval).u32(most).u32(uint32_t(entries)).raw(list.bytes());
    return AsfBytes().object(AsfGuids::SimpleIndex, body.bytes()).bytes();
}
