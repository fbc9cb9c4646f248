#include "encoder/RateKeeper.h"

#include <algorithm>

RateKeeper::RateKeeper(double bitRate, double buffer) : bitRate_(bitRate), buffer_(buffer)
{
}

bool RateKeeper::admits(double seconds)
{
    fullness_ = std::max(0.0, fullness_ - bitRate_ * std::max(0.0, seconds - drainedUntil_));
    drainedUntil_ = std::max(drainedUntil_, seconds);
    // The next frame is taken to be as large as the last one between key frames.
    return fullness_ <= 0 || fullness_ + lastDelta_ <= buffer_;
}

void RateKeeper::spent(int bytes, bool key)
{
    const double bits = double(bytes) * 8;
    fullness_ += bits;
    if (!key)
        lastDelta_ = bits;
}
