#pragma once

#include "encoder/lanes/Lane.h"
#include "encoder/lanes/PieceWorkers.h"
#include "encoder/plan/PassPlan.h"
#include "encoder/read/MediaReader.h"

// The lane of one part of the picture, as the pass plans it, fed by the reader.
Lane PictureLane(const MediaReader &reader, const SourceFacts &source, const PassPlan &pass, const PicturePart &part,
                 bool globalHeaders);
Lane SoundLane(const MediaReader &reader, const EncodePlan &plan, bool globalHeaders);

// What a part's encoder made of it, its packets aside.
EncodedPiece SummaryOf(const EncodeStage &encoder);
