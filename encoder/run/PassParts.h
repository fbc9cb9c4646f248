#pragma once

#include "encoder/check/RateRecord.h"
#include "encoder/lanes/LaneStages.h"
#include "encoder/plan/PassPlan.h"
#include "encoder/read/MediaReader.h"
#include "encoder/run/EncodeFile.h"
#include "encoder/write/AsfWriter.h"

#include <QByteArray>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

// What both kinds of pass, whole and in pieces, build and hand back.

// What one run through the source gave.
struct PassResult {
    std::vector<QByteArray> statistics; // a first pass's: the picture encoder's, for each part
    RateRecord rate;
    double encoded = 0; // seconds from the start of the first frame encoded to the end of the last
};

// Where a lane's packets go in the file.
struct StreamSlot {
    int index = -1;
    AVRational timeBase{1, 1};
};

// The picture's stream, which keeps to the rate the pass encodes it at, or the sound's.
StreamSlot AddPictureStream(AsfWriter &writer, const StreamEncoder &encoder, const PassPlan &pass);
StreamSlot AddSoundStream(AsfWriter &writer, const StreamEncoder &encoder, const EncodePlan &plan);

// Writes what is left of the file and closes it, recording how long the output should last, as
// the pass encoded this many seconds of it.
void FinishOutput(AsfWriter &writer, const EncodePlan &plan, double encoded);

// The stretch of the output that the lanes encoded, in seconds.
class EncodedSpan {
public:
    void add(double first, double end);
    // What a lane encoded.
    void add(const EncodeStage &encoder);
    double seconds() const { return end_ > first_ ? end_ - first_ : 0; }

private:
    double first_ = std::numeric_limits<double>::max();
    double end_ = 0;
};

EncodeProgress ProgressOf(Pass pass);

// The threads a decoder may use. Alone, one more than the cores, as FFmpeg's own command gives it: a
// decoder's threads wait on each other's frames, and the filters and the encoder run while they
// wait; a decoder held to fewer threads than the cores leaves a 4K picture's decoding, most of the
// work, to one core.
int DecoderThreads(CoreShare share);

// A reader of the source, moved so that the picture (or, without it, the sound) decodes whole from
// `start` seconds into the source. whileSeeking is called as the picture's key frame is looked for.
std::unique_ptr<MediaReader> OpenReader(const SourceFacts &source, bool picture, bool sound, int decoderThreads, double start,
                                        const std::function<void()> &whileSeeking = {});

// The lane of one part of the picture, as the pass plans it.
Lane PictureLane(const MediaReader &reader, const SourceFacts &source, const PassPlan &pass, const PicturePart &part,
                 bool globalHeaders);
Lane SoundLane(const MediaReader &reader, const EncodePlan &plan, bool globalHeaders);

// The note that frames were dropped to hold the rate, and what the picture's movement became.
QString DroppedFramesNote(const VideoPlan &video, const RateRecord &rate);
