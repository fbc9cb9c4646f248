#include "settings/Presets.h"

#include "params/Profiles.h"

#include <vector>

namespace {

enum class Group { PictureAndSound, SoundOnly, PictureOnly };

Group groupOf(const Profile &profile)
{
    if (!profile.picture)
        return Group::SoundOnly;
    return profile.audioCode ? Group::PictureAndSound : Group::PictureOnly;
}

// The profile of each row; null for row 0 and the blank, heading and separator rows.
const std::vector<const Profile *> &rows()
{
    static const std::vector<const Profile *> list = [] {
        constexpr int RowsAboveAGroup = 3;
        std::vector<const Profile *> rows{nullptr};
        for (const Group group : {Group::PictureAndSound, Group::SoundOnly, Group::PictureOnly}) {
            rows.insert(rows.end(), RowsAboveAGroup, nullptr);
            for (const Profile &profile : ProfileTable())
                if (groupOf(profile) == group)
                    rows.push_back(&profile);
        }
        return rows;
    }();
    return list;
}

const Profile *profileOfRow(int index)
{
    return index >= 0 && index < int(rows().size()) ? rows()[index] : nullptr;
}

} // namespace

QString PresetProfile(int index)
{
    const Profile *profile = profileOfRow(index);
    return profile ? QString::fromLatin1(profile->name) : QString();
}

bool IsPresetPlaceholder(int index)
{
    return index > 0 && index < int(rows().size()) && !rows()[index];
}

bool IsVideoPreset(int index)
{
    const Profile *profile = profileOfRow(index);
    return profile && profile->picture;
}
