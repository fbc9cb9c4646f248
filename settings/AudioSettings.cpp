#include "settings/AudioSettings.h"

#include <array>

namespace {

constexpr const char *DefaultCode = "64_44_2";

constexpr std::array<const char *, 34> Codes = {
    DefaultCode, "192_48_2", "160_48_2", "128_48_2", "192_44_2", "160_44_2", "128_44_2", "96_44_2", "80_44_2",
    "64_44_2",   "48_44_2",  "32_44_2",  "32_44_1",  "48_32_2",  "40_32_2",  "32_32_2",  "20_32_1", "32_22_2",
    "22_22_2",   "20_22_2",  "20_22_1",  "16_22_1",  "20_16_2",  "16_16_2",  "16_16_1",  "12_16_1", "10_16_1",
    "10_11_1",   "8_11_1",   "12_8_2",   "8_8_1",    "6_8_1",    "5_8_1",    "0",
};

} // namespace

QString AudioSettingCode(int index)
{
    const bool listed = index >= 0 && index < int(Codes.size());
    return QString::fromLatin1(listed ? Codes[index] : DefaultCode);
}
