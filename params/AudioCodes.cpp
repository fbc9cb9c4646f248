#include "params/AudioCodes.h"

#include <array>

namespace {

constexpr std::array<const char *, 32> Codes = {
    "192_48_2", "160_48_2", "128_48_2", "192_44_2", "160_44_2", "128_44_2", "96_44_2", "80_44_2",
    "64_44_2", "48_44_2", "32_44_2", "32_44_1", "48_32_2", "40_32_2", "32_32_2", "20_32_1",
    "32_22_2", "22_22_2", "20_22_2", "20_22_1", "16_22_1", "20_16_2", "16_16_2", "16_16_1",
    "12_16_1", "10_16_1", "10_11_1", "8_11_1", "12_8_2", "8_8_1", "6_8_1", "5_8_1",
};

int sampleRateFromKilohertz(int kilohertz)
{
    switch (kilohertz) {
    case 44: return 44100;
    case 22: return 22050;
    case 11: return 11025;
    default: return kilohertz * 1000;
    }
}

} // namespace

QStringList AudioSettingCodes()
{
    QStringList codes;
    for (const char *code : Codes)
        codes.append(QString::fromLatin1(code));
    return codes;
}

QString DefaultAudioCode()
{
    return QStringLiteral("64_44_2");
}

QString NoSoundCode()
{
    return QStringLiteral("0");
}

std::optional<AudioFormat> AudioFormatFromCode(const QString &code)
{
    if (!AudioSettingCodes().contains(code))
        return std::nullopt;
    const QStringList parts = code.split(u'_');
    return AudioFormat{parts[0].toInt() * 1000, sampleRateFromKilohertz(parts[1].toInt()), parts[2].toInt()};
}
