#pragma once

#include "encoder/lanes/LaneThreads.h"
#include "encoder/plan/PassPlan.h"
#include "encoder/write/WriteStage.h"

#include <deque>
#include <memory>
#include <optional>

// Writes a pass in pieces from the calling thread: the picture's packets as the pieces are joined,
// each after the sound that starts before it, which a reader of its own reads a step at a time.
class PiecesWriter {
public:
    // Sets the sound's lane up and adds its stream to the file, where the pass writes sound.
    PiecesWriter(const SourceFacts &source, const EncodePlan &plan, WriteStage &file);

    void writePicture(const std::vector<PacketHandle> &packets);
    // Writes the rest of the sound.
    void finish();

    // The sound's encoder, where there is sound.
    const EncodeStage *soundEncoder() const { return sound_ ? &sound_->encoder : nullptr; }

private:
    // Writes the sound that starts up to this many seconds into the output.
    void writeSoundUntil(double seconds);

    WriteStage &file_;
    std::unique_ptr<MediaReader> reader_;
    std::optional<Lane> sound_;
    std::optional<LanesHere> run_;
    std::deque<PacketHandle> waiting_;
};
