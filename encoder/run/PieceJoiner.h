#pragma once

#include "encoder/common/LibavSupport.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/plan/LeakyBucket.h"

#include <optional>
#include <vector>

// How many of the last frames of `before`, the fewest, to leave out so that the frames `after` it,
// encoded as if the bucket held `assumed` bits at their first frame, overfill it no more than they
// would then, and never past `buffer` where they would not. `bucket` is as it stands before the
// first frame of `before`, which is kept where it is the key frame its piece begins with.
size_t FramesToLeaveOut(const LeakyBucket &bucket, double buffer, const std::vector<TimedFrame> &before,
                        const std::vector<TimedFrame> &after, double assumed, bool keepFirst);

// Hands on the pieces of a picture for writing, in order, each piece's last buffer's length of frames
// held back until the next piece comes. Each piece's rate control starts afresh, and a piece may
// leave the player's buffer fuller than the next one was encoded for; then the last frames of the
// piece before are left out, as few as keep the next one within the buffer. Nothing refers to them:
// the next piece begins with a key frame. Leaving out a buffer's length of frames empties the
// buffer, so no earlier frame need wait. The pieces of a picture without a buffer are handed on as
// they are.
class PieceJoiner {
public:
    // timeBase: the packets' timestamps', counted from the output's start.
    PieceJoiner(const PicturePlan &video, AVRational timeBase);

    // Takes the next piece's packets, encoded as if this share of the buffer were full at its first
    // frame, and gives back those of the piece before to write.
    std::vector<PacketHandle> join(std::vector<PacketHandle> piece, double startFullness);
    // Gives back the last piece's packets.
    std::vector<PacketHandle> finish();

    int leftOut() const { return leftOut_; } // frames left out so far
    // The longest stretch of picture a joint left out so far, in seconds: a player shows the frame
    // before it as long.
    double longestLeftOut() const { return longestLeftOut_; }

private:
    std::vector<TimedFrame> timed(const std::vector<PacketHandle> &packets) const;

    AVRational timeBase_;
    std::optional<LeakyBucket> bucket_; // nothing for a picture without a buffer
    double buffer_ = 0;
    std::vector<PacketHandle> held_;
    bool heldFromFirst_ = false; // the frames held begin with their piece's key frame
    int leftOut_ = 0;
    double longestLeftOut_ = 0;
};
