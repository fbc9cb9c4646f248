#pragma once

#include "encoder/filter/ColourTable.h"
#include "encoder/filter/FilterChain.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

// What a filter chain gave for one decoded frame.
struct FilteredFrames {
    std::vector<FrameHandle> frames;
    bool closed = false;      // the chain has given its last frame
    bool sourceEnded = false; // this was the end of the source: nothing more comes
    std::exception_ptr failure;
};

// The filters of one stream, fed one decoded frame at a time.
class FilterStage {
public:
    explicit FilterStage(FilterChain chain) : chain_(std::move(chain)) {}
    // Shows the picture from showFrom on, in the time base of the frames that come in: the frame on
    // screen at that moment goes into the chain as starting there, and those before it are left out.
    // Keeps only the frames out of the chain that start from keepFrom up to keepUntil, in the chain's
    // time base; the first frame past keepUntil closes the stage. Where a colour table is given, the
    // chain's frames are its 10-bit Y'CbCr, and the table makes them what the encoder takes.
    FilterStage(FilterChain chain, int64_t showFrom, int64_t keepFrom, int64_t keepUntil,
                std::shared_ptr<const ColourTable> colourTable = nullptr);

    // Filters a decoded frame, or ends the input on nullptr. Once the chain has closed (the
    // section's end), what comes after is left aside.
    FilteredFrames filter(AVFrame *frame);

    bool closed() const { return closed_; }
    AVRational timeBase() const { return chain_.timeBase(); }

private:
    void pushShown(AVFrame *frame);
    void take(AVFrame *frame, FilteredFrames &filtered);
    FrameHandle throughTable(const AVFrame &frame) const;

    FilterChain chain_;
    int64_t showFrom_ = INT64_MIN;
    FrameHandle onScreen_; // the latest frame before showFrom, while no frame has come at or after it
    int64_t keepFrom_ = INT64_MIN;
    int64_t keepUntil_ = INT64_MAX;
    std::shared_ptr<const ColourTable> colourTable_;
    bool closed_ = false;
};
