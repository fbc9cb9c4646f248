#pragma once

#include "encoder/EncodePlan.h"
#include "encoder/SourceProbe.h"

#include <optional>

// How far an encode has come.
struct EncodeProgress {
    int pass = 1;
    int passes = 1;
    double done = 0; // part of this pass, 0 to 1
    int frames = 0;  // picture frames encoded in this pass
};

// Told what happens while a file is encoded.
class EncodeObserver {
public:
    virtual void note(const QString &text) = 0;
    virtual void progress(const EncodeProgress &progress) = 0;

protected:
    ~EncodeObserver() = default;
};

// How an encode uses the machine's cores.
struct CoreShare {
    // Alone: reading, filters, encoders and writing run side by side in threads of their own, the
    // decoder uses the cores the picture encoder leaves, and up to `pieces` pieces of the picture
    // are encoded at once. Beside other encodes, which keep the other cores busy: everything in the
    // calling thread.
    bool alone = true;
    int pieces = 1;
};

// What the encode of a picture did to hold its rate, for the check to tell why it did not.
struct RateRecord {
    int frames = 0;   // frames written
    int dropped = 0;  // frames left out to hold a constant rate
    int coarsest = 0; // frames written at the coarsest quantiser
    std::optional<int> raisedBitRate; // the rate two passes were given where the plan's could not hold the picture
};

// Encodes the source into an ASF file at path as the plan says, in two passes where its mode asks
// for them. Where the second pass could not reach the plan's picture bit rate, raises it for that
// pass and tells the observer; where the source gave another length than it announced, sets the
// plan's duration to what it gave and tells the observer. Throws Failure, Stopped once a stop is
// asked for, and WriteFailure; removing a half-written file is the caller's business.
RateRecord EncodeFile(const SourceFacts &source, EncodePlan &plan, const QString &path, EncodeObserver &observer, CoreShare share);
