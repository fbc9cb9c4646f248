#pragma once

#include "encoder/encode/EncodeStage.h"
#include "encoder/filter/FilterStage.h"

// One stream's way from decoded source frames to packets.
struct Lane {
    FilterStage filters;
    EncodeStage encoder;

    // Both stages in turn, in the calling thread.
    EncodedPackets process(AVFrame *frame)
    {
        FilteredFrames filtered = filters.filter(frame);
        return encoder.encode(filtered);
    }
};
