#pragma once

#include "encoder/check/RateRecord.h"
#include "encoder/plan/PassPlan.h"
#include "encoder/run/EncodeFile.h"
#include "encoder/write/WriteStage.h"

#include <QByteArray>
#include <vector>

// What one run through the source gave.
struct PassResult {
    std::vector<QByteArray> statistics; // a first pass's: the picture encoder's, for each part
    RateRecord rate;
    double encoded = 0; // seconds from the start of the first frame encoded to the end of the last
    double leftOutAtAJoint = 0; // the longest stretch of picture a joint between pieces left out, in seconds
};

// Whether a joint between pieces left out so long a stretch of picture, to hold the rate, that a
// player would show one frame for a second or more and key frames could be further apart than
// asked; one piece spreads the frames it drops over the picture.
bool JointLeftOutTooMuch(const PassResult &result);

// Runs the source once as the pass plans it, into the file, and finishes the file. The
// whole picture runs through its lane beside the sound's, both fed by one reader; pieces of it are
// encoded on threads of their own, as many at once as the share allows, while the calling thread
// encodes the sound and writes both in the order of their timestamps, joining the pieces within a
// constant rate's buffer.
PassResult RunPass(const SourceFacts &source, const PassPlan &pass, WriteStage &file, EncodeObserver &observer,
                   CoreShare share);
