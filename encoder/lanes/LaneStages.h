#pragma once

#include "encoder/encode/RateKeeper.h"
#include "encoder/encode/StreamEncoder.h"
#include "encoder/filter/FilterChain.h"
#include "encoder/filter/ColourTable.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <vector>

// What a filter chain gave for one decoded frame.
struct FilteredFrames {
    std::vector<FrameHandle> frames;
    bool closed = false;      // the chain has given its last frame
    bool sourceEnded = false; // this was the end of the source: nothing more comes
    std::exception_ptr failure;
};

// What an encoder gave for one decoded frame, and how far its stream has come.
struct EncodedPackets {
    std::vector<PacketHandle> packets;
    double position = 0; // seconds of output encoded
    int frames = 0;      // frames encoded so far
    std::exception_ptr failure;
};

// The filters of one stream, fed one decoded frame at a time.
class FilterStage {
public:
    explicit FilterStage(FilterChain chain) : chain_(std::move(chain)) {}
    // Keeps only the frames that start from keepFrom up to keepUntil, in the chain's time base; the
    // first frame past keepUntil closes the stage. Where a colour table is given, the chain's frames
    // are its 10-bit Y'CbCr, and the table makes them what the encoder takes.
    FilterStage(FilterChain chain, int64_t keepFrom, int64_t keepUntil, std::shared_ptr<const ColourTable> colourTable = nullptr);

    // Filters a decoded frame, or ends the input on nullptr. Once the chain has closed (the
    // section's end), what comes after is left aside.
    FilteredFrames filter(AVFrame *frame);

    bool closed() const { return closed_; }
    AVRational timeBase() const { return chain_.timeBase(); }

private:
    void take(AVFrame *frame, FilteredFrames &filtered);
    FrameHandle throughTable(const AVFrame &frame) const;

    FilterChain chain_;
    int64_t keepFrom_ = INT64_MIN;
    int64_t keepUntil_ = INT64_MAX;
    std::shared_ptr<const ColourTable> colourTable_;
    bool closed_ = false;
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

// One stream's way from decoded source frames to packets.
struct Lane {
    FilterStage filters;
    EncodeStage encoder;

    // Both stages in turn, in the calling thread.
    EncodedPackets process(AVFrame *frame);
};
