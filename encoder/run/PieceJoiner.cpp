#include "encoder/run/PieceJoiner.h"

#include <algorithm>

namespace {

// The highest the bucket rises over the frames after, from where the frames before leave it.
double fullestAfter(LeakyBucket bucket, const std::vector<TimedFrame> &before, size_t kept, const std::vector<TimedFrame> &after)
{
    for (size_t index = 0; index < kept; ++index)
        bucket.add(before[index].seconds, before[index].bits);
    return FullestPoint(after, bucket.bitRate(), bucket.fullnessAt(after.front().seconds)).bits;
}

} // namespace

size_t FramesToLeaveOut(const LeakyBucket &bucket, double buffer, const std::vector<TimedFrame> &before,
                        const std::vector<TimedFrame> &after, double assumed, bool keepFirst)
{
    if (before.empty() || after.empty())
        return 0;
    const double allowed = std::max(buffer, FullestPoint(after, bucket.bitRate(), assumed).bits);
    const size_t fewest = keepFirst ? 1 : 0;
    size_t kept = before.size();
    while (kept > fewest && fullestAfter(bucket, before, kept, after) > allowed)
        --kept;
    return before.size() - kept;
}

PieceJoiner::PieceJoiner(const PicturePlan &video, AVRational timeBase) : timeBase_(timeBase)
{
    if (video.usesBuffer()) {
        bucket_.emplace(video.bitRate);
        buffer_ = video.bufferBits();
    }
}

std::vector<TimedFrame> PieceJoiner::timed(const std::vector<PacketHandle> &packets) const
{
    std::vector<TimedFrame> frames;
    frames.reserve(packets.size());
    for (const PacketHandle &packet : packets)
        frames.push_back({double(packet->pts) * av_q2d(timeBase_), double(packet->size) * 8});
    return frames;
}

std::vector<PacketHandle> PieceJoiner::join(std::vector<PacketHandle> piece, double startFullness)
{
    if (!bucket_)
        return piece;
    if (piece.empty())
        return {};
    const std::vector<TimedFrame> before = timed(held_);
    const std::vector<TimedFrame> frames = timed(piece);
    const size_t leftOut = FramesToLeaveOut(*bucket_, buffer_, before, frames, startFullness * buffer_, heldFromFirst_);
    if (leftOut > 0)
        longestLeftOut_ = std::max(longestLeftOut_, frames.front().seconds - before[before.size() - leftOut].seconds);
    held_.resize(held_.size() - leftOut);
    leftOut_ += int(leftOut);
    std::vector<PacketHandle> ready = std::move(held_);
    // The frames from a buffer's length before the piece's last one are held.
    const double holdFrom = frames.back().seconds - buffer_ / bucket_->bitRate();
    const auto firstHeld = std::find_if(frames.begin(), frames.end(), [&](const TimedFrame &frame) { return frame.seconds >= holdFrom; });
    const auto written = firstHeld - frames.begin();
    heldFromFirst_ = written == 0;
    held_.assign(std::make_move_iterator(piece.begin() + written), std::make_move_iterator(piece.end()));
    piece.resize(size_t(written));
    for (PacketHandle &packet : piece)
        ready.push_back(std::move(packet));
    for (const PacketHandle &packet : ready)
        bucket_->add(double(packet->pts) * av_q2d(timeBase_), double(packet->size) * 8);
    return ready;
}

std::vector<PacketHandle> PieceJoiner::finish()
{
    return std::move(held_);
}
