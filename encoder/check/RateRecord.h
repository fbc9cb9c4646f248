#pragma once

#include <optional>

// What the encode of a picture did to hold its rate, for the check to tell why it did not.
struct RateRecord {
    int frames = 0;   // frames written
    int dropped = 0;  // frames left out to hold a constant rate
    int coarsest = 0; // frames written at the coarsest quantiser
    std::optional<int> raisedBitRate; // the rate two passes were given where the plan's could not hold the picture
};
