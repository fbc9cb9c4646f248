#pragma once

#include "encoder/write/AsfLayout.h"

#include <functional>
#include <vector>

// What a data packet takes besides its payloads (its error correction, its flags, its padding
// length, send time, duration and payload count), and what each payload takes besides its bytes
// (its stream, frame number, offset, the frame's size and time, its length).
constexpr int AsfPacketHeaderSize = 14;
constexpr int AsfPayloadHeaderSize = 17;

// The packet's flags: error correction data of two bytes; several payloads, a padding length of two
// bytes, no sequence and no packet length (every packet has the file's one size); each payload
// with a replicated data length of one byte, an offset of four, a frame number of one and a stream
// number of one; payload lengths of two bytes. The low bits of the payload flags count the payloads.
constexpr uint8_t AsfErrorCorrectionFlags = 0x82;
constexpr uint8_t AsfLengthTypeFlags = 0x11;
constexpr uint8_t AsfPropertyFlags = 0x5D;
constexpr uint8_t AsfPayloadFlags = 0x80;
constexpr int AsfMostPayloads = 63;
// A payload's stream number carries this flag where its frame is a key frame.
constexpr uint8_t AsfKeyFrameFlag = 0x80;
// The replicated data: the frame's size and its presentation time.
constexpr uint8_t AsfReplicatedSize = 8;

// One frame of a stream, as the data packets carry it.
struct AsfFrame {
    int stream = 0;              // from 1
    uint8_t number = 0;          // the stream's count of its frames, modulo 256
    uint32_t presentationMs = 0; // the preroll included
    bool key = false;
    bool picture = false;
    const uint8_t *data = nullptr;
    int size = 0;
};

// Lays frames out in data packets of one size, as many to a packet as fit, a picture frame larger
// than what is left continuing in the next packets; a sound frame that fits a packet is never cut.
// Keeps where each key frame of the picture begins, for the index.
class AsfPacketizer {
public:
    using PacketSink = std::function<void(const QByteArray &packet)>;

    AsfPacketizer(int packetSize, uint32_t prerollMs, PacketSink sink);

    void add(const AsfFrame &frame);
    // Hands on the last packet, however full.
    void finish();

    uint64_t packets() const { return packets_; }

    // The index of the picture stream: for each step of presentation time, the packets that hold
    // the key frame a player starts from there. Empty without key frames.
    QByteArray simpleIndex(const AsfGuid &fileId, uint64_t playTicks) const;

private:
    // Where one key frame of the picture lies.
    struct KeyFrame {
        uint32_t presentationMs = 0;
        uint32_t firstPacket = 0;
        uint16_t packetCount = 0;
    };

    void place(const AsfFrame &frame, int offset, int length);
    void flush();
    int room() const { return packetSize_ - used_ - AsfPayloadHeaderSize; }

    int packetSize_;
    uint32_t prerollMs_;
    PacketSink sink_;
    AsfBytes payloads_;
    int used_ = AsfPacketHeaderSize;
    int count_ = 0;
    uint32_t firstMs_ = 0; // the presentation times of the packet's first and last payloads
    uint32_t lastMs_ = 0;
    uint64_t packets_ = 0;
    std::vector<KeyFrame> keyFrames_;
};
