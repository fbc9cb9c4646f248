#pragma once

#include "encoder/common/LibavSupport.h"

#include <map>
#include <vector>

// The clock of a transport or program stream, or of an Ogg file, as players follow it. It may start
// again part way, as in recordings joined end to end: players play on, and so does the encode, each
// part moved on to where the one before it ends. A stream's new part begins at a packet whose time
// goes back, where the packets after it go on from there. And a damaged packet may carry a time far
// from those around it: players ignore it, and so does the encode, where one packet jumps away and
// the next comes back. Both are found once, reading the whole source, and told by the packets'
// places in their streams, so that every reader mends a packet alike, whichever streams it reads.
struct SourceClock {
    // How far each part is moved on, in AV_TIME_BASE units: 0 for the first. Empty where the
    // clock never starts again.
    std::vector<int64_t> shifts;
    // By stream, the packets that begin its parts after the first, counted from 0.
    std::map<int, std::vector<int64_t>> starts;
    // By stream, the packets whose times are damaged, counted from 0.
    std::map<int, std::vector<int64_t>> damaged;
    double seconds = 0; // how long the source lasts, its parts end to end

    // Whether any packet's time is mended: the source is then read from its start alone, as a time
    // in it may stand for two places.
    bool mends() const;
};

// Whether the source's format lets its clock start again or jump.
bool ClockMayJump(const AVFormatContext &input);

// Reads the streams given to the end of the source, from its start, and finds where their clock
// starts again and which packets' times are damaged. Each part follows on from where the first of
// the streams that has it ends in the part before: the stream that can hold no gap comes first.
SourceClock ReadSourceClock(AVFormatContext &input, const std::vector<int> &streams);

// Moves the packet's timestamps on by the shift of its part, or drops them where they are damaged;
// `number` counts the packets of its stream from the source's start, from 0.
void MendTimestamps(AVPacket &packet, AVRational timeBase, const SourceClock &clock, int64_t number);
