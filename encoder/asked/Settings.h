#pragma once

#include "encoder/asked/ConfigReader.h"
#include "params/AudioCodes.h"
#include "params/Profiles.h"

#include <QString>
#include <optional>
#include <vector>

extern "C" {
#include <libavutil/rational.h>
}

enum class VideoCodec { Wmv8, Wmv7 };

// The coarsest quantiser the picture encoders go to: their own default ceiling.
inline constexpr int CoarsestQuantiser = 31;

// -v_mode: how the picture's bit rate is controlled, and in how many passes.
enum class RateMode { CbrOnePass = 0, CbrTwoPass = 1, VbrQuality = 2, VbrTwoPass = 3 };

// -v_preproc: how interlaced or telecined pictures are turned into whole frames.
enum class Preprocessing {
    None = 0,
    Deinterlace = 1,
    DeinterlaceHalfSize = 2,
    DeinterlaceHalfSizeDoubleRate = 3,
    DeinterlaceHalfHeightDoubleRate = 4,
    InverseTelecine = 5,
};

// -a_setting: a sound format, or no sound at all ("0").
struct AudioSetting {
    bool sound = true;
    AudioFormat format;
};

// -v_clip: the four numbers as given, left, top, right, bottom.
struct ClipNumbers {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// -time: the section in milliseconds of the source; an end of 0 runs to the end of the source.
struct Section {
    qint64 startMs = 0;
    qint64 endMs = 0;
};

// The texts of the file's content description.
struct ContentDescription {
    QString title;
    QString author;
    QString copyright;
    QString description;
    QString rating;
};

// Everything the switches asked for, checked one by one. A switch that was not given is empty here
// and takes its value from the profile or from the utility's defaults.
struct Settings {
    QString input;
    QString output; // empty: report on the source, encode nothing
    QString outputString;
    const Profile *profile = nullptr;
    std::optional<AudioSetting> audio;
    std::optional<VideoCodec> codec;
    std::optional<int> width;
    std::optional<int> height;
    std::optional<RateMode> mode;
    std::optional<AVRational> frameRate;
    std::optional<int> keyDistance; // seconds
    std::optional<int> bitRate;     // bit/s
    std::optional<int> quality;     // 0 to 100
    std::optional<int> bufferMs;
    std::optional<Preprocessing> preprocessing;
    std::optional<ClipNumbers> clip;
    std::optional<Section> section;
    ContentDescription content;
    // What every file of the run is asked for: the switches given but those naming the source, the
    // output and a folder's output names, the later of each, in the order of their names.
    std::vector<Switch> encodeSwitches;

    // Whether any switch that only a picture can use was given.
    bool hasPictureSwitch() const;
};

// What the value of the switch in row may be, as its refusal and the utility's help give it ("it takes
// a width in pixels from 16 to 4096", "the profiles are ...").
QString AllowedValues(int row);

// Checks every switch's value and gathers them; a later switch replaces an earlier one of the same
// name. Throws Failure naming the switch, where it came from and what it allows.
Settings ParseSettings(const std::vector<Switch> &switches);

// A digest of what every file of the run is asked for (Settings::encodeSwitches): the same for the
// same switches, whatever their order, whether given on a command line or in a file.
QString SettingsDigest(const Settings &settings);
