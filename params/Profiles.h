#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <span>

// The values of -profile: the utility's built-in profiles, which the window's preset list offers.

// A frame rate as a fraction: 15 frames in 2 seconds are seven and a half frames a second.
struct FrameRate {
    int frames;
    int seconds;
};

// The picture of a profile: its size, its highest frame rate and its bit rate in bit/s.
struct ProfilePicture {
    int width;
    int height;
    FrameRate frameRate;
    int bitRate;
};

// A preset profile. Its picture and sound bit rates add up to the rate in its name.
struct Profile {
    const char *name;
    std::optional<ProfilePicture> picture; // nothing: the profile makes files without a picture
    const char *audioCode;                 // an audio setting code; nullptr: files without sound
};

// Every profile, in the order the preset list shows them: those with picture and sound, then those
// with sound only, then those with a picture only.
std::span<const Profile> ProfileTable();

// The profile of that name, letter case aside; nullptr when there is none.
const Profile *FindProfile(const QString &name);

// The names of all profiles, in table order.
QStringList ProfileNames();
