#include "encoder/check/DeclaredHeader.h"

#include "encoder/write/AsfLayout.h"
#include "platform/Failure.h"
#include "platform/NativeFiles.h"

#include <algorithm>

namespace {

// A header larger than this is not one a player reads either.
constexpr uint64_t LargestHeader = 16 * 1024 * 1024;

DeclaredStream &streamNumbered(DeclaredFile &file, int number)
{
    const auto found = std::find_if(file.streams.begin(), file.streams.end(), [&](const DeclaredStream &stream) { return stream.number == number; });
    if (found != file.streams.end())
        return *found;
    DeclaredStream stream;
    stream.number = number;
    file.streams.push_back(stream);
    return file.streams.back();
}

void readFileProperties(AsfReader &object, DeclaredFile &file)
{
    object.guid(); // File ID
    file.fileSize = object.u64();
    object.u64(); // creation date
    file.packets = object.u64();
    file.playTicks = object.u64();
    object.u64(); // send duration
    file.prerollMs = uint32_t(std::min<uint64_t>(object.u64(), UINT32_MAX));
    file.seekable = object.u32() & AsfSeekable;
    file.packetSize = object.u32();
}

void readStreamProperties(AsfReader &object, DeclaredFile &file)
{
    const AsfGuid kind = object.guid();
    object.guid(); // error correction
    object.u64();  // time offset
    object.u32();  // type-specific data length
    object.u32();  // error correction data length
    streamNumbered(file, object.u16() & 0x7F).picture = kind == AsfGuids::VideoMedia;
}

void readExtendedStreamProperties(AsfReader &object, DeclaredFile &file)
{
    object.u64(); // start time
    object.u64(); // end time
    const uint32_t bitRate = object.u32();
    const uint32_t bufferMs = object.u32();
    object.skip(4 * 6); // initial fullness, the alternates, largest object, flags
    DeclaredStream &stream = streamNumbered(file, object.u16());
    stream.bitRate = bitRate;
    stream.bufferMs = bufferMs;
    object.u16(); // language
    if (const uint64_t frameTicks = object.u64(); frameTicks > 0)
        stream.frameTicks = frameTicks;
}

void readContentDescription(AsfReader &object, DeclaredFile &file)
{
    uint16_t sizes[5];
    for (uint16_t &size : sizes)
        size = object.u16();
    QString *texts[] = {&file.content.title, &file.content.author, &file.content.copyright, &file.content.description,
                        &file.content.rating};
    for (int index = 0; index < 5; ++index) {
        const QByteArray bytes = object.take(sizes[index]);
        // Players read a text up to its first zero.
        QString &text = *texts[index];
        for (qsizetype at = 0; at + 1 < bytes.size(); at += 2) {
            const char16_t unit = char16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
            if (unit == 0)
                break;
            text += QChar(unit);
        }
    }
}

// Reads the objects one after another, each by its size, handing each to read.
template <typename Read>
bool readObjects(AsfReader &objects, Read read)
{
    while (objects.left() >= AsfObjectHeaderSize) {
        const AsfGuid kind = objects.guid();
        const uint64_t size = objects.u64();
        if (size < uint64_t(AsfObjectHeaderSize) || size - AsfObjectHeaderSize > uint64_t(objects.left()))
            return false;
        AsfReader body(objects.take(qint64(size) - AsfObjectHeaderSize));
        read(kind, body);
    }
    return !objects.ranOut();
}

} // namespace

const DeclaredStream *DeclaredFile::picture() const
{
    const auto found = std::find_if(streams.begin(), streams.end(), [](const DeclaredStream &stream) { return stream.picture; });
    return found != streams.end() ? &*found : nullptr;
}

std::optional<DeclaredFile> ReadDeclaredHeader(const QString &path)
{
    try {
        RegularFileReader input(path);
        return ReadDeclaredHeader([&](qint64 offset, qint64 count) { return input.readAt(offset, count); });
    } catch (const Failure &) {
        return std::nullopt;
    }
}

std::optional<DeclaredFile> ReadDeclaredHeader(const ByteReader &read)
{
    AsfReader start(read(0, AsfObjectHeaderSize));
    const AsfGuid kind = start.guid();
    const uint64_t headerSize = start.u64();
    if (start.ranOut() || kind != AsfGuids::Header || headerSize < uint64_t(AsfObjectHeaderSize) + 6 || headerSize > LargestHeader)
        return std::nullopt;
    AsfReader header(read(AsfObjectHeaderSize, qint64(headerSize) - AsfObjectHeaderSize));
    header.skip(6); // the object count and two reserved bytes
    DeclaredFile file;
    bool extensionWhole = true;
    const bool headerWhole = readObjects(header, [&](const AsfGuid &object, AsfReader &body) {
        if (object == AsfGuids::FileProperties)
            readFileProperties(body, file);
        else if (object == AsfGuids::StreamProperties)
            readStreamProperties(body, file);
        else if (object == AsfGuids::ContentDescription)
            readContentDescription(body, file);
        else if (object == AsfGuids::HeaderExtension) {
            body.skip(16 + 2 + 4); // reserved, and the extension's size
            extensionWhole = readObjects(body, [&](const AsfGuid &extension, AsfReader &inner) {
                if (extension == AsfGuids::ExtendedStreamProperties)
                    readExtendedStreamProperties(inner, file);
            }) && extensionWhole;
        }
    });
    file.dataOffset = qint64(headerSize);
    AsfReader data(read(file.dataOffset, AsfDataHeaderSize));
    const bool isData = data.guid() == AsfGuids::Data;
    file.dataSize = data.u64();
    data.guid(); // File ID
    file.dataPackets = data.u64();
    if (!headerWhole || !extensionWhole || !isData || data.ranOut())
        return std::nullopt;
    return file;
}
