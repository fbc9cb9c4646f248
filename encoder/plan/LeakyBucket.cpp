#include "encoder/plan/LeakyBucket.h"

#include <algorithm>

double BufferBits(double bitRate, double bufferMs)
{
    return bitRate * bufferMs / 1000;
}

LeakyBucket::LeakyBucket(double bitRate, double fullness) : bitRate_(bitRate), fullness_(fullness)
{
}

double LeakyBucket::fullnessAt(double seconds) const
{
    const double drained = last_ ? bitRate_ * std::max(0.0, seconds - *last_) : 0;
    return std::max(0.0, fullness_ - drained);
}

void LeakyBucket::add(double seconds, double bits)
{
    fullness_ = fullnessAt(seconds) + bits;
    last_ = std::max(last_.value_or(seconds), seconds);
}

Fullest FullestPoint(const std::vector<TimedFrame> &frames, double bitRate, double fullness)
{
    LeakyBucket bucket(bitRate, fullness);
    Fullest fullest{0, fullness, 0};
    for (size_t index = 0; index < frames.size(); ++index) {
        bucket.add(frames[index].seconds, frames[index].bits);
        if (bucket.fullness() > fullest.bits)
            fullest = {frames[index].seconds, bucket.fullness(), index};
    }
    return fullest;
}
