#pragma once

#include <QString>
#include <QStringList>
#include <optional>

extern "C" {
#include <libavutil/rational.h>
}

// The picture of a profile: its size, its highest frame rate and its bit rate in bit/s.
struct ProfilePicture {
    int width;
    int height;
    AVRational frameRate;
    int bitRate;
};

// A preset profile. Its picture and sound bit rates add up to the rate in its name.
struct Profile {
    const char *name;
    std::optional<ProfilePicture> picture; // nothing: the profile makes files without a picture
    const char *audioCode;                 // an audio setting code; nullptr: files without sound
};

// The profile of that name, letter case aside; nullptr when there is none.
const Profile *FindProfile(const QString &name);

// The names of all profiles, in table order.
QStringList ProfileNames();
