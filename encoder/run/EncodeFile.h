#pragma once

#include "encoder/check/RateRecord.h"
#include "encoder/plan/EncodePlan.h"
#include "encoder/probe/SourceProbe.h"

// How far an encode has come.
struct EncodeProgress {
    int pass = 1;
    int passes = 1;
    double done = 0; // part of this pass, 0 to 1
    int frames = 0;  // picture frames encoded, or dropped to hold the rate, in this pass
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
    // decoder uses every core, and up to `pieces` pieces of the picture are encoded at once. Beside other encodes, which keep the other cores busy: everything in the
    // calling thread.
    bool alone = true;
    int pieces = 1;
};

// What an encode did: how it held the picture's rate, and how long the output should last (see
// LengthToExpect), which the file records too.
struct EncodeResult {
    RateRecord rate;
    double length = 0;
};

// Encodes the source into an ASF file at path as the plan says: each pass as its pass plan lays it
// out (see PassPlan), the second of two as the first pass's findings decide. Tells the observer where
// the second pass's rate was raised, and where the source gave another length than it announced.
// Throws Failure, Stopped once a stop is asked for, and WriteFailure; removing a half-written file is
// the caller's business.
EncodeResult EncodeFile(const SourceFacts &source, const EncodePlan &plan, const QString &path, EncodeObserver &observer,
                        CoreShare share);
