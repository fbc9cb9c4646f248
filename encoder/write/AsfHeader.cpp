#include "encoder/write/AsfHeader.h"

#include "platform/Failure.h"

#include <limits>

namespace {

// The format counts its dates in 100 ns from 1601, this many to 1970.
constexpr qint64 FileTimeEpochTicks = 116444736000000000;

// Metadata values of four bytes.
constexpr uint16_t DwordValue = 3;

// The size of a text that the format keeps in 16 bits; a longer text cannot be stored.
uint16_t textSize(const QString &value, const char *what)
{
    if (AsfTextSize(value) > std::numeric_limits<uint16_t>::max())
        throw Failure(QStringLiteral("The %1 is too long for a Windows Media file, which holds %2 characters at the most.")
                          .arg(QLatin1String(what)).arg(std::numeric_limits<uint16_t>::max() / 2 - 1));
    return uint16_t(AsfTextSize(value));
}

QByteArray fileProperties(const AsfHeaderFacts &facts)
{
    uint32_t bitRate = 0;
    for (const AsfStreamFacts &stream : facts.streams)
        bitRate += stream.dataBitRate;
    AsfBytes body;
    body.guid(facts.fileId).u64(facts.fileSize).u64(uint64_t(FileTimeEpochTicks + facts.created / 100)).u64(facts.packets).u64(facts.playTicks).u64(facts.sendTicks)
        .u64(facts.prerollMs).u32(AsfSeekable).u32(facts.packetSize).u32(facts.packetSize).u32(bitRate);
    return body.bytes();
}

// The leaky bucket each stream keeps to, the one a player waits for.
QByteArray extendedStreamProperties(const AsfStreamFacts &stream)
{
    AsfBytes body;
    body.u64(0).u64(0)                                  // start and end time: the whole file
        .u32(stream.dataBitRate).u32(stream.bufferMs).u32(0) // the bucket, empty at the start
        .u32(stream.dataBitRate).u32(stream.bufferMs).u32(0) // the same as the alternate
        .u32(stream.largestObject).u32(AsfSeekable).u16(uint16_t(stream.number)).u16(0)
        .u64(stream.frameTicks).u16(0).u16(0); // no stream names, no payload extensions
    return body.bytes();
}

// The picture's pixel shape, as players read it.
QByteArray pixelShapes(const std::vector<AsfStreamFacts> &streams)
{
    AsfBytes records;
    uint16_t count = 0;
    for (const AsfStreamFacts &stream : streams) {
        if (stream.aspectX <= 0 || stream.aspectY <= 0)
            continue;
        for (const auto &[name, value] : {std::pair{QStringLiteral("AspectRatioX"), stream.aspectX},
                                          std::pair{QStringLiteral("AspectRatioY"), stream.aspectY}}) {
            records.u16(0).u16(uint16_t(stream.number)).u16(uint16_t(AsfTextSize(name))).u16(DwordValue).u32(4)
                .text(name).u32(uint32_t(value));
            ++count;
        }
    }
    if (count == 0)
        return {};
    AsfBytes body;
    body.u16(count).raw(records.bytes());
    return AsfBytes().object(AsfGuids::Metadata, body.bytes()).bytes();
}

QByteArray headerExtension(const std::vector<AsfStreamFacts> &streams)
{
    AsfBytes objects;
    for (const AsfStreamFacts &stream : streams)
        objects.object(AsfGuids::ExtendedStreamProperties, extendedStreamProperties(stream));
    objects.raw(pixelShapes(streams));
    AsfBytes body;
    body.guid(AsfGuids::HeaderExtensionReserved).u16(6).u32(uint32_t(objects.size())).raw(objects.bytes());
    return body.bytes();
}

QByteArray streamProperties(const AsfStreamFacts &stream)
{
    AsfBytes body;
    body.guid(stream.picture ? AsfGuids::VideoMedia : AsfGuids::AudioMedia)
        .guid(stream.errorCorrection.isEmpty() ? AsfGuids::NoErrorCorrection : AsfGuids::AudioSpread)
        .u64(0).u32(uint32_t(stream.typeSpecific.size())).u32(uint32_t(stream.errorCorrection.size()))
        .u16(uint16_t(stream.number)).u32(0).raw(stream.typeSpecific).raw(stream.errorCorrection);
    return body.bytes();
}

QByteArray codecList(const std::vector<AsfStreamFacts> &streams)
{
    AsfBytes body;
    body.guid(AsfGuids::CodecListReserved).u32(uint32_t(streams.size()));
    for (const AsfStreamFacts &stream : streams)
        body.u16(stream.picture ? 1 : 2).u16(uint16_t(stream.codecName.size() + 1)).text(stream.codecName).u16(0)
            .u16(uint16_t(stream.codecInformation.size())).raw(stream.codecInformation);
    return body.bytes();
}

QByteArray streamBitRates(const std::vector<AsfStreamFacts> &streams)
{
    AsfBytes body;
    body.u16(uint16_t(streams.size()));
    for (const AsfStreamFacts &stream : streams)
        body.u16(uint16_t(stream.number)).u32(stream.averageBitRate);
    return body.bytes();
}

// The five texts of the content description; nothing where all are empty.
QByteArray contentDescription(const ContentDescription &content)
{
    const std::pair<const QString &, const char *> texts[] = {
        {content.title, "title"}, {content.author, "author"}, {content.copyright, "copyright"},
        {content.description, "description"}, {content.rating, "rating"},
    };
    AsfBytes sizes;
    AsfBytes values;
    bool any = false;
    for (const auto &[text, what] : texts) {
        sizes.u16(text.isEmpty() ? 0 : textSize(text, what));
        if (!text.isEmpty())
            values.text(text);
        any = any || !text.isEmpty();
    }
    return any ? sizes.raw(values.bytes()).bytes() : QByteArray();
}

// The record, and the rating where there is one: readers that pass over the content
// description's rating read this one.
QByteArray extendedContent(const AsfHeaderFacts &facts)
{
    std::vector<std::pair<QString, QString>> texts{{facts.recordName, facts.record}};
    if (!facts.content.rating.isEmpty())
        texts.emplace_back(QStringLiteral("WM/ParentalRating"), facts.content.rating);
    AsfBytes body;
    body.u16(uint16_t(texts.size()));
    for (const auto &[name, value] : texts)
        body.u16(textSize(name, "name")).text(name).u16(0).u16(textSize(value, "text")).text(value);
    return body.bytes();
}

} // namespace

QByteArray AsfHeaderBytes(const AsfHeaderFacts &facts, int paddingBytes)
{
    AsfBytes objects;
    int count = 0;
    const auto add = [&](const AsfGuid &kind, const QByteArray &body) {
        objects.object(kind, body);
        ++count;
    };
    add(AsfGuids::FileProperties, fileProperties(facts));
    add(AsfGuids::HeaderExtension, headerExtension(facts.streams));
    for (const AsfStreamFacts &stream : facts.streams)
        add(AsfGuids::StreamProperties, streamProperties(stream));
    add(AsfGuids::CodecList, codecList(facts.streams));
    add(AsfGuids::StreamBitrateProperties, streamBitRates(facts.streams));
    if (const QByteArray content = contentDescription(facts.content); !content.isEmpty())
        add(AsfGuids::ContentDescription, content);
    add(AsfGuids::ExtendedContentDescription, extendedContent(facts));
    add(AsfGuids::Padding, QByteArray(paddingBytes, '\0'));
    AsfBytes body;
    body.u32(uint32_t(count)).u8(1).u8(2).raw(objects.bytes());
    return AsfBytes().object(AsfGuids::Header, body.bytes()).bytes();
}
