#pragma once

#include "encoder/plan/LeakyBucket.h"

#include <optional>

// Holds a constant-rate picture stream to its bit rate where the encoder alone cannot: its own rate
// control keeps to the buffer (see LeakyBucket) until it reaches its coarsest quantiser, and past
// that, a frame that would overfill the buffer is dropped, as constant-rate encoders do; the
// picture before it stays on screen a little longer.
class RateKeeper {
public:
    // bitRate in bit/s; buffer and fullness (what the buffer holds at the start) in bits.
    RateKeeper(double bitRate, double buffer, double fullness);

    // Whether the frame that starts this many seconds into the stream is encoded; key: the encoder
    // is to make it a key frame; nextKey: when the next key frame falls due, which a frame before
    // it leaves room for, so that key frames keep their distance. A frame is always encoded once the
    // buffer has emptied, however large the one before was.
    bool admits(double seconds, bool key, std::optional<double> nextKey) const;

    // Counts a packet the encoder wrote for the frame that starts this many seconds into the stream;
    // coarsest: at its coarsest quantiser.
    void spent(double seconds, int bytes, bool key, bool coarsest);

private:
    LeakyBucket bucket_;
    double buffer_;
    // What the next frame needs at the coarsest quantiser, going by the last frame where that was at
    // the coarsest too; where it was not, the encoder can make the next one fit.
    double lastKey_ = 0;
    double lastDelta_ = 0;
};
