#include "settings/Presets.h"

#include <algorithm>
#include <array>

namespace {

// The profile of each row; empty for row 0 and the blank, heading and separator rows.
constexpr std::array<const char *, 29> Profiles = {
    "",         "",        "",       "",      "av20",  "av32",  "av100", "av225",  "av350",    "av450",
    "av700",    "av1400",  "av350pal", "av700pal", "",  "",     "",      "a20_1",  "a20_2",    "a32",
    "a48",      "a64",     "a96",    "a128",  "",      "",      "",      "v20",    "v32",
};

constexpr std::array<int, 9> PlaceholderRows = {1, 2, 3, 14, 15, 16, 24, 25, 26};

bool isRow(int index)
{
    return index >= 0 && index < int(Profiles.size());
}

} // namespace

QString PresetProfile(int index)
{
    return isRow(index) ? QString::fromLatin1(Profiles[index]) : QString();
}

bool IsPresetPlaceholder(int index)
{
    return std::find(PlaceholderRows.begin(), PlaceholderRows.end(), index) != PlaceholderRows.end();
}

bool IsVideoPreset(int index)
{
    return (index >= 4 && index <= 13) || index == 27 || index == 28;
}
