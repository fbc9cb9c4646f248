#include "encoder/write/AsfLayout.h"

AsfBytes &AsfBytes::u8(uint8_t value)
{
    bytes_.append(char(value));
    return *this;
}

AsfBytes &AsfBytes::u16(uint16_t value)
{
    return u8(uint8_t(value)).u8(uint8_t(value >> 8));
}

AsfBytes &AsfBytes::u32(uint32_t value)
{
    return u16(uint16_t(value)).u16(uint16_t(value >> 16));
}

AsfBytes &AsfBytes::u64(uint64_t value)
{
    return u32(uint32_t(value)).u32(uint32_t(value >> 32));
}

AsfBytes &AsfBytes::guid(const AsfGuid &value)
{
    u32(value.first).u16(value.second).u16(value.third);
    for (const uint8_t byte : value.rest)
        u8(byte);
    return *this;
}

AsfBytes &AsfBytes::raw(const QByteArray &bytes)
{
    bytes_.append(bytes);
    return *this;
}

AsfBytes &AsfBytes::zeros(int count)
{
    bytes_.append(count, '\0');
    return *this;
}

AsfBytes &AsfBytes::text(const QString &value)
{
    for (const QChar unit : value)
        u16(unit.unicode());
    return u16(0);
}

AsfBytes &AsfBytes::object(const AsfGuid &kind, const QByteArray &body)
{
    return guid(kind).u64(uint64_t(AsfObjectHeaderSize + body.size())).raw(body);
}

int AsfTextSize(const QString &value)
{
    return int(value.size() + 1) * 2;
}

uint64_t AsfReader::number(int size)
{
    if (left() < size) {
        ranOut_ = true;
        position_ = bytes_.size();
        return 0;
    }
    uint64_t value = 0;
    for (int index = size - 1; index >= 0; --index)
        value = value << 8 | uint8_t(bytes_[position_ + index]);
    position_ += size;
    return value;
}

uint8_t AsfReader::u8()
{
    return uint8_t(number(1));
}

uint16_t AsfReader::u16()
{
    return uint16_t(number(2));
}

uint32_t AsfReader::u32()
{
    return uint32_t(number(4));
}

uint64_t AsfReader::u64()
{
    return number(8);
}

AsfGuid AsfReader::guid()
{
    AsfGuid value;
    value.first = u32();
    value.second = u16();
    value.third = u16();
    for (uint8_t &byte : value.rest)
        byte = u8();
    return value;
}

QByteArray AsfReader::take(qint64 count)
{
    if (count < 0 || left() < count) {
        ranOut_ = true;
        position_ = bytes_.size();
        return {};
    }
    const QByteArray part = bytes_.mid(position_, count);
    position_ += count;
    return part;
}

void AsfReader::skip(qint64 count)
{
    take(count);
}
