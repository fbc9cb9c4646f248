#pragma once

#include "encoder/asked/Settings.h"
#include "encoder/probe/SourceProbe.h"

#include <QStringList>
#include <optional>

// The lowest bit rate, in bit/s, that FFmpeg's WMA encoder takes.
constexpr int LowestSoundBitRate = 24000;

// The buffer a player fills before it starts, where nothing else sets it.
constexpr int DefaultBufferMs = 5000;

// What a stream of the output declares to players: the rate it keeps to, and the buffer a player
// fills before it starts (see LeakyBucket).
struct StreamRate {
    std::optional<int> bitRate; // bit/s; nothing: the stream keeps to no rate, and declares its average
    int bufferMs = 0;
};

// The sound keeps its rate frame by frame: a buffer of one frame holds it.
StreamRate SoundRate(const AudioFormat &format, int frameSamples);

// The part of the source picture that is kept, in source pixels.
struct CropRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

struct PicturePlan {
    VideoCodec codec = VideoCodec::Wmv8;
    Preprocessing preprocessing = Preprocessing::None;
    int rotation = 0; // degrees clockwise, as the source's picture is turned upright
    std::optional<CropRect> crop; // in the upright picture
    int sourceWidth = 0;          // the source's upright picture, as probed
    int sourceHeight = 0;
    int width = 0;
    int height = 0;
    int64_t keptPixels = 0; // of the source's picture, cropped, before it is scaled
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
    // The buffer in bits, at the bit rate.
    double bufferBits() const;
    // A constant rate keeps to its bit rate and buffer; a variable one declares its average, and
    // players wait the utility's default buffer for it.
    StreamRate declaredRate() const;
};

// Every value of one encode, worked out from the switches, the profile, the utility's defaults and
// the source itself.
struct EncodePlan {
    std::optional<PicturePlan> picture;
    std::optional<AudioFormat> sound;
    double start = 0;          // seconds into the source
    std::optional<double> end; // nothing: to the end of the source
    double duration = 0;       // seconds the output should last; 0 when the source does not tell
    bool clockMended = false;  // the source's clock starts again or jumps: no time in it can be sought
    ContentDescription content;
    QString madeFrom;  // what the output records it was made from (see MadeFrom)
    qint64 madeNs = 0; // when the content was made, as far as is known: when the source was last changed
    QStringList notes; // where the encode departs from what was asked, and why
};

// How far the output's duration may be from the plan's: a frame of picture and of sound either way,
// and a little more for timestamp rounding.
double DurationTolerance(const EncodePlan &plan);

// How long the output should last, where the encode read this many seconds of the source. A
// container's length is an estimate: a cut-off download or a damaged index holds less than it
// announces, and some streams hold more; the output should last what the source gave. A section
// that came out longer than asked is the encode's own fault, for the check to find.
double LengthToExpect(const EncodePlan &plan, double encoded);

// Throws Failure naming the switch when the settings ask for what the source cannot give, or
// leave nothing of it to encode.
EncodePlan PlanEncode(const Settings &settings, const SourceFacts &source);
