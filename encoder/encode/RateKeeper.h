#pragma once

#include "encoder/plan/EncodePlan.h"
#include "encoder/plan/LeakyBucket.h"

#include <QString>

#include <optional>

// Holds a constant-rate picture stream to its bit rate where the encoder alone cannot: its own rate
// control keeps to the buffer (see LeakyBucket) until it reaches its coarsest quantiser, and past
// that, a frame that would overfill the buffer is dropped, as constant-rate encoders do; the
// picture before it stays on screen a little longer. A frame after dropped ones differs from the
// one before it by the motion of all of them, and is taken to need as much more.
class RateKeeper {
public:
    // bitRate in bit/s; buffer and fullness (what the buffer holds at the start) in bits;
    // frameSeconds: how long one frame lasts.
    RateKeeper(double bitRate, double buffer, double fullness, double frameSeconds);

    // Whether the frame that starts this many seconds into the stream is encoded; key: the encoder
    // is to make it a key frame; nextKey: when the next key frame falls due, which a frame before
    // it leaves room for, so that key frames keep their distance. A frame is always encoded once the
    // buffer has emptied, however large the one before was.
    bool admits(double seconds, bool key, std::optional<double> nextKey) const;

    // Counts a packet the encoder wrote for the frame that starts this many seconds into the stream;
    // coarsest: at its coarsest quantiser.
    void spent(double seconds, int bytes, bool key, bool coarsest);

private:
    // How many frames' time lies between the last frame spent and one this many seconds in.
    double framesSinceLast(double seconds) const;

    LeakyBucket bucket_;
    double buffer_;
    double frameSeconds_;
    std::optional<double> lastSpent_; // when the last frame spent starts
    // What the next frame needs at the coarsest quantiser, going by the last frame where that was at
    // the coarsest too, a frame between key frames for each frame's time since the one before; where
    // it was not at the coarsest, the encoder can make the next one fit.
    double lastKey_ = 0;
    double lastDelta_ = 0;
};

// The note that this many of the picture's frames were dropped to hold its rate, and what its
// movement became.
QString DroppedFramesNote(const PicturePlan &video, int frames, int dropped);
