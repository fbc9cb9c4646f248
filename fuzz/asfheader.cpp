// The ASF header: what the check reads of any bytes, and what it reads of a header the writer made.
// Any bytes are read without a fault, and checked for damage as an output is; a header made from the input's values is read back as made:
// its preroll, each stream's rate and buffer, and the content description up to each text's first
// zero, as players read it.
//
// Input: the bytes of a file; the same bytes then give the values of a header to make.
#include "encoder/check/Damage.h"
#include "encoder/check/DeclaredHeader.h"
#include "encoder/write/AsfHeader.h"
#include "fuzz/Require.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

QByteArray dataObjectStart()
{
    AsfBytes data;
    data.guid(AsfGuids::Data).u64(50).zeros(16).u64(0).u8(1).u8(1);
    return data.bytes();
}

ByteReader readerOf(const QByteArray &bytes)
{
    return [bytes](qint64 offset, qint64 count) { return bytes.mid(offset, count); };
}

QString textOf(FuzzedDataProvider &input)
{
    const std::u16string units = [&] {
        std::u16string text;
        const size_t length = input.ConsumeIntegralInRange<size_t>(0, 40);
        for (size_t i = 0; i < length; ++i)
            text += char16_t(input.ConsumeIntegral<uint16_t>());
        return text;
    }();
    return QString::fromUtf16(units.data(), qsizetype(units.size()));
}

// The text up to its first zero.
QString asRead(const QString &text)
{
    const qsizetype zero = text.indexOf(QChar(u'\0'));
    return zero < 0 ? text : text.left(zero);
}

AsfHeaderFacts factsOf(FuzzedDataProvider &input)
{
    AsfHeaderFacts facts;
    facts.prerollMs = input.ConsumeIntegral<uint32_t>();
    facts.packetSize = input.ConsumeIntegral<uint32_t>();
    const int streams = input.ConsumeIntegralInRange(0, 3);
    for (int number = 1; number <= streams; ++number) {
        AsfStreamFacts stream;
        stream.number = number;
        stream.picture = input.ConsumeBool();
        stream.dataBitRate = input.ConsumeIntegral<uint32_t>();
        stream.bufferMs = input.ConsumeIntegral<uint32_t>();
        stream.codecName = textOf(input);
        stream.aspectX = input.ConsumeIntegralInRange(0, 1000);
        stream.aspectY = input.ConsumeIntegralInRange(0, 1000);
        facts.streams.push_back(stream);
    }
    facts.content = {textOf(input), textOf(input), textOf(input), textOf(input), textOf(input)};
    facts.recordName = QStringLiteral("Quillmark/MadeFrom");
    facts.record = textOf(input);
    return facts;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ReadDeclaredHeader(readerOf(bytes));
    LayoutDamage(readerOf(bytes), bytes.size());

    FuzzedDataProvider input(data, size);
    const AsfHeaderFacts made = factsOf(input);
    const QByteArray header = AsfHeaderBytes(made, input.ConsumeIntegralInRange(0, 300));
    const std::optional<DeclaredFile> read = ReadDeclaredHeader(readerOf(header + dataObjectStart()));
    Require(read.has_value(), "a header the writer made reads whole");
    Require(read->prerollMs == made.prerollMs && read->packetSize == made.packetSize, "the preroll and packet size read as made");
    Require(read->streams.size() == made.streams.size(), "every stream reads back");
    for (size_t i = 0; i < made.streams.size(); ++i) {
        const DeclaredStream &stream = read->streams[i];
        Require(stream.number == made.streams[i].number && stream.picture == made.streams[i].picture, "a stream reads as itself");
        Require(stream.bitRate == made.streams[i].dataBitRate && stream.bufferMs == made.streams[i].bufferMs,
                "a stream's rate and buffer read as made");
    }
    const ContentDescription &content = read->content;
    Require(content.title == asRead(made.content.title) && content.author == asRead(made.content.author)
                && content.copyright == asRead(made.content.copyright) && content.description == asRead(made.content.description)
                && content.rating == asRead(made.content.rating),
            "the content description reads as players read it");
    return 0;
}
