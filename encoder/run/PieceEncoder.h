#pragma once

#include "encoder/lanes/Lane.h"
#include "encoder/lanes/PieceWorkers.h"
#include "encoder/plan/PassPlan.h"

#include <atomic>
#include <optional>

// Encodes the pass's pieces of the picture, each in the thread that takes it, with the reader that
// thread keeps; the first piece is made ready at once, so that its encoder can describe the picture
// to the file before any piece runs.
class PieceEncoder {
public:
    PieceEncoder(const SourceFacts &source, const PassPlan &pass, bool globalHeaders);

    // The first piece's lane, before it runs.
    const Lane &firstLane() const { return *firstLane_; }

    // Encodes the piece of the given number; nothing where the source is known to end before it.
    // Ends early with Cancelled once calledOff is set.
    EncodedPiece encode(size_t index, PieceThread &thread, const std::atomic<bool> &calledOff);

    int framesDone() const { return framesDone_; } // picture frames encoded or dropped so far, by every piece

private:
    const SourceFacts &source_;
    const PassPlan &pass_;
    bool globalHeaders_;
    SourceEnd sourceEnd_;
    PieceThread firstThread_;
    std::optional<Lane> firstLane_;
    std::atomic<int> framesDone_ = 0;
};
