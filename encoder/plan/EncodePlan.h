#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/probe/SourceProbe.h"

#include <QStringList>
#include <optional>

// The lowest bit rate, in bit/s, that FFmpeg's WMA encoder takes.
constexpr int LowestSoundBitRate = 24000;

// The part of the source picture that is kept, in source pixels.
struct CropRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct VideoPlan {
    VideoCodec codec = VideoCodec::Wmv8;
    Preprocessing preprocessing = Preprocessing::None;
    int rotation = 0; // degrees clockwise, as the source's picture is turned upright
    std::optional<CropRect> crop; // in the upright picture
    int width = 0;
    int height = 0;
    bool squarePixels = false; // false: the pixels are shaped to keep the source's picture shape
    AVRational frameRate{0, 1};
    RateMode mode = RateMode::CbrOnePass;
    int bitRate = 0; // bit/s
    int bufferMs = 0;
    int quality = 0;
    int keyDistance = 0; // seconds
    PictureColour colour = {}; // the source's

    bool twoPass() const { return mode == RateMode::CbrTwoPass || mode == RateMode::VbrTwoPass; }
    // The most frames from one key frame to the next.
    int keyFrameInterval() const;
    bool usesBuffer() const { return mode == RateMode::CbrOnePass || mode == RateMode::CbrTwoPass; }
};

// Every value of one encode, worked out from the switches, the profile, the utility's defaults and
// the source itself.
struct EncodePlan {
    std::optional<VideoPlan> video;
    std::optional<AudioFormat> audio;
    double start = 0;          // seconds into the source
    std::optional<double> end; // nothing: to the end of the source
    double duration = 0;       // seconds the output should last; 0 when the source does not tell
    ContentDescription content;
    QString madeFrom;  // what the output records it was made from (see MadeFrom)
    QStringList notes; // where the encode departs from what was asked, and why
};

// Throws Failure naming the switch when the settings ask for what the source cannot give, or
// leave nothing of it to encode.
EncodePlan PlanEncode(const Settings &settings, const SourceFacts &source);
