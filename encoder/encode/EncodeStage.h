#pragma once

#include "encoder/encode/RateKeeper.h"
#include "encoder/encode/StreamEncoder.h"
#include "encoder/filter/FilterStage.h"

#include <exception>
#include <optional>
#include <vector>

// What an encoder gave for one decoded frame, and how far its stream has come.
struct EncodedPackets {
    std::vector<PacketHandle> packets;
    double position = 0; // seconds of output encoded
    int handled = 0;     // frames encoded or dropped so far: how far the picture has come
    std::exception_ptr failure;
};

// The encoder of one stream, fed what its filters gave. A picture at a constant rate is held to it
// by a rate keeper that drops frames.
class EncodeStage {
public:
    // frameTimeBase: the filters' time base; keepPackets: false on a first pass, whose packets go
    // nowhere.
    EncodeStage(StreamEncoder encoder, AVRational frameTimeBase, bool keepPackets, std::optional<RateKeeper> keeper = std::nullopt);

    EncodedPackets encode(FilteredFrames &filtered);

    bool ended() const { return ended_; }
    double first() const { return first_; } // where the first frame encoded starts, in seconds
    double end() const { return end_; }     // where the last frame encoded ends, in seconds
    int frames() const { return frames_; }
    int dropped() const { return dropped_; }
    int coarsest() const { return coarsest_; } // frames encoded at the coarsest quantiser
    const StreamEncoder &encoder() const { return encoder_; }

private:
    void encodeFrame(AVFrame *frame, EncodedPackets &out);
    void receive(EncodedPackets &out);
    double frameSeconds(const AVFrame &frame) const;

    StreamEncoder encoder_;
    AVRational frameTimeBase_;
    bool keepPackets_;
    std::optional<RateKeeper> keeper_;
    FrameHandle lastEncoded_;             // kept where a rate keeper may drop the last frame
    std::optional<int64_t> droppedLast_; // the timestamp of the last frame, where it was dropped
    bool ended_ = false;
    double position_ = 0;
    double first_;
    double end_ = 0;
    int frames_ = 0;
    int dropped_ = 0;
    int coarsest_ = 0;
};
