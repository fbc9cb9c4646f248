#include "params/Profiles.h"

#include <array>

namespace {

constexpr FrameRate Fps(int rate) { return FrameRate{rate, 1}; }

// Modem rates get small, slow pictures and narrow sound; broadband rates get larger and smoother
// ones. The PAL rows keep the 4:3 shape at 25 frames a second.
const std::array<Profile, 19> Profiles = {{
    {"av20", ProfilePicture{160, 120, FrameRate{15, 2}, 12000}, "8_8_1"},
    {"av32", ProfilePicture{160, 120, Fps(10), 22000}, "10_11_1"},
    {"av100", ProfilePicture{240, 180, Fps(15), 84000}, "16_16_1"},
    {"av225", ProfilePicture{320, 240, Fps(15), 193000}, "32_44_2"},
    {"av350", ProfilePicture{320, 240, Fps(30), 302000}, "48_44_2"},
    {"av450", ProfilePicture{320, 240, Fps(30), 386000}, "64_44_2"},
    {"av700", ProfilePicture{640, 480, Fps(30), 636000}, "64_44_2"},
    {"av1400", ProfilePicture{640, 480, Fps(30), 1272000}, "128_44_2"},
    {"av350pal", ProfilePicture{384, 288, Fps(25), 302000}, "48_44_2"},
    {"av700pal", ProfilePicture{768, 576, Fps(25), 636000}, "64_44_2"},
    {"a20_1", std::nullopt, "20_22_1"},
    {"a20_2", std::nullopt, "20_22_2"},
    {"a32", std::nullopt, "32_22_2"},
    {"a48", std::nullopt, "48_44_2"},
    {"a64", std::nullopt, "64_44_2"},
    {"a96", std::nullopt, "96_44_2"},
    {"a128", std::nullopt, "128_44_2"},
    {"v20", ProfilePicture{160, 120, Fps(10), 20000}, nullptr},
    {"v32", ProfilePicture{160, 120, Fps(15), 32000}, nullptr},
}};

} // namespace

std::span<const Profile> ProfileTable()
{
    return Profiles;
}

const Profile *FindProfile(const QString &name)
{
    for (const Profile &profile : Profiles)
        if (name.compare(QLatin1String(profile.name), Qt::CaseInsensitive) == 0)
            return &profile;
    return nullptr;
}

QStringList ProfileNames()
{
    QStringList names;
    for (const Profile &profile : Profiles)
        names.append(QString::fromLatin1(profile.name));
    return names;
}
