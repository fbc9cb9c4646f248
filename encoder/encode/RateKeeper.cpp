#include "encoder/encode/RateKeeper.h"

#include <algorithm>
#include <cmath>

namespace {

// One frame may need this much more than the last one of its kind: a quarter, which more than nine
// in ten frames of detailed moving pictures stay within.
constexpr double Headroom = 1.25;

// Before the first key frame at the coarsest quantiser, one is taken to need three times as much as
// a frame between key frames, about what it does where the content stays alike.
constexpr double KeyToDelta = 3;

} // namespace

RateKeeper::RateKeeper(double bitRate, double buffer, double fullness, double frameSeconds)
    : bucket_(bitRate, fullness), buffer_(buffer), frameSeconds_(frameSeconds)
{
}

double RateKeeper::framesSinceLast(double seconds) const
{
    return lastSpent_ ? std::max(1.0, std::round((seconds - *lastSpent_) / frameSeconds_)) : 1;
}

bool RateKeeper::admits(double seconds, bool key, std::optional<double> nextKey) const
{
    const double fullness = bucket_.fullnessAt(seconds);
    const double keyNeeds = (lastKey_ > 0 ? lastKey_ : lastDelta_ * KeyToDelta) * Headroom;
    if (fullness <= 0)
        return true;
    if (key)
        return fullness + keyNeeds <= buffer_;
    // A frame never needs more than a key frame does.
    const double after = fullness + std::min(lastDelta_ * framesSinceLast(seconds) * Headroom, keyNeeds);
    // A key frame that overfills the buffer even when it is empty is no reason to hold back the
    // frames before it.
    if (!nextKey || keyNeeds > buffer_)
        return after <= buffer_;
    const double atKey = std::max(0.0, after - bucket_.bitRate() * (*nextKey - seconds));
    return after <= buffer_ && atKey + keyNeeds <= buffer_;
}

void RateKeeper::spent(double seconds, int bytes, bool key, bool coarsest)
{
    const double bits = double(bytes) * 8;
    const double frames = framesSinceLast(seconds);
    bucket_.add(seconds, bits);
    lastSpent_ = seconds;
    if (key)
        lastKey_ = coarsest ? bits : 0;
    lastDelta_ = coarsest ? (key ? bits / KeyToDelta : bits / frames) : 0;
}

QString DroppedFramesNote(const PicturePlan &video, int frames, int dropped)
{
    const int all = frames + dropped;
    const double movement = av_q2d(video.frameRate) * frames / all;
    return QStringLiteral("To hold %1 bit/s, %2 of %3 frames were dropped, so the picture moves at %4 fps on average; "
                          "a smaller picture, a lower frame rate or a higher bit rate would keep them.")
        .arg(video.bitRate).arg(dropped).arg(all).arg(QString::number(movement, 'f', 1));
}
