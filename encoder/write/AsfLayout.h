#pragma once

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

// The ASF file format as the writer writes it and the check reads it back: the GUIDs that name its
// objects, and its numbers, which are all little-endian.

struct AsfGuid {
    uint32_t first = 0;
    uint16_t second = 0;
    uint16_t third = 0;
    std::array<uint8_t, 8> rest{};
    bool operator==(const AsfGuid &) const = default;
};

namespace AsfGuids {
// Top-level objects.
inline constexpr AsfGuid Header{0x75B22630, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
inline constexpr AsfGuid Data{0x75B22636, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
inline constexpr AsfGuid SimpleIndex{0x33000890, 0xE5B1, 0x11CF, {0x89, 0xF4, 0x00, 0xA0, 0xC9, 0x03, 0x49, 0xCB}};
// Objects of the header.
inline constexpr AsfGuid FileProperties{0x8CABDCA1, 0xA947, 0x11CF, {0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};
inline constexpr AsfGuid StreamProperties{0xB7DC0791, 0xA9B7, 0x11CF, {0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};
inline constexpr AsfGuid HeaderExtension{0x5FBF03B5, 0xA92E, 0x11CF, {0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};
inline constexpr AsfGuid HeaderExtensionReserved{0xABD3D211, 0xA9BA, 0x11CF, {0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};
inline constexpr AsfGuid CodecList{0x86D15240, 0x311D, 0x11D0, {0xA3, 0xA4, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0xF6}};
inline constexpr AsfGuid CodecListReserved{0x86D15241, 0x311D, 0x11D0, {0xA3, 0xA4, 0x00, 0xA0, 0xC9, 0x03, 0x48, 0xF6}};
inline constexpr AsfGuid ContentDescription{0x75B22633, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
inline constexpr AsfGuid ExtendedContentDescription{0xD2D0A440, 0xE307, 0x11D2, {0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50}};
inline constexpr AsfGuid StreamBitrateProperties{0x7BF875CE, 0x468D, 0x11D1, {0x8D, 0x82, 0x00, 0x60, 0x97, 0xC9, 0xA2, 0xB2}};
inline constexpr AsfGuid Padding{0x1806D474, 0xCADF, 0x4509, {0xA4, 0xBA, 0x9A, 0xAB, 0xCB, 0x96, 0xAA, 0xE8}};
// Objects of the header extension.
inline constexpr AsfGuid ExtendedStreamProperties{0x14E6A5CB, 0xC672, 0x4332, {0x83, 0x99, 0xA9, 0x69, 0x52, 0x06, 0x5B, 0x5A}};
inline constexpr AsfGuid Metadata{0xC5F8CBEA, 0x5BAF, 0x4877, {0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA}};
// Kinds of stream and their error correction.
inline constexpr AsfGuid AudioMedia{0xF8699E40, 0x5B4D, 0x11CF, {0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B}};
inline constexpr AsfGuid VideoMedia{0xBC19EFC0, 0x5B4D, 0x11CF, {0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B}};
inline constexpr AsfGuid NoErrorCorrection{0x20FB5700, 0x5B55, 0x11CF, {0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B}};
inline constexpr AsfGuid AudioSpread{0xBFC3CD50, 0x618F, 0x11CF, {0x8B, 0xB2, 0x00, 0xAA, 0x00, 0xB4, 0xE2, 0x20}};
} // namespace AsfGuids

// What an object's own header takes: its GUID and its size.
constexpr int AsfObjectHeaderSize = 24;

// The data object's own header: its GUID and size, the File ID, the packet count, two reserved
// bytes. The data packets follow it.
constexpr int AsfDataHeaderSize = 50;

// The File Properties flag that tells a player the file may be sought in.
constexpr uint32_t AsfSeekable = 0x2;

// The times of an ASF file's objects are in units of 100 ns; its presentation and send times and
// its preroll in milliseconds.
constexpr int64_t AsfTicksPerMs = 10000;

// Bytes in the format's order.
class AsfBytes {
public:
    AsfBytes &u8(uint8_t value);
    AsfBytes &u16(uint16_t value);
    AsfBytes &u32(uint32_t value);
    AsfBytes &u64(uint64_t value);
    AsfBytes &guid(const AsfGuid &value);
    AsfBytes &raw(const QByteArray &bytes);
    AsfBytes &zeros(int count);
    // The text in UTF-16 with its closing zero, as the format stores texts.
    AsfBytes &text(const QString &value);
    // An object: its GUID, its size, then its body.
    AsfBytes &object(const AsfGuid &kind, const QByteArray &body);

    const QByteArray &bytes() const { return bytes_; }
    qsizetype size() const { return bytes_.size(); }

private:
    QByteArray bytes_;
};

// The size in bytes of a text as AsfBytes::text stores it.
int AsfTextSize(const QString &value);

// Reads the format's numbers from bytes, from the start on. Reading past the end reads zeros and
// marks the reader as run out, which the caller asks once at the end.
class AsfReader {
public:
    explicit AsfReader(QByteArray bytes) : bytes_(std::move(bytes)) {}

    uint8_t u8();
    uint16_t u16();
    uint32_t u32();
    uint64_t u64();
    AsfGuid guid();
    QByteArray take(qint64 count);
    void skip(qint64 count);

    qint64 position() const { return position_; }
    qint64 left() const { return bytes_.size() - position_; }
    bool ranOut() const { return ranOut_; }

private:
    uint64_t number(int size);

    QByteArray bytes_;
    qint64 position_ = 0;
    bool ranOut_ = false;
};
