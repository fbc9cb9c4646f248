#include "encoder/run/Pass.h"

#include "encoder/asked/Jobs.h"
#include "encoder/common/StopSignals.h"
#include "encoder/lanes/LaneThreads.h"
#include "encoder/run/PartLanes.h"
#include "encoder/run/PieceEncoder.h"
#include "encoder/run/PieceJoiner.h"
#include "encoder/run/PiecesWriter.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace {

// The threads a decoder may use. Alone, one more than the cores, as FFmpeg's own command gives it: a
// decoder's threads wait on each other's frames, and the filters and the encoder run while they
// wait; a decoder held to fewer threads than the cores leaves a 4K picture's decoding, most of the
// work, to one core.
int decoderThreads(CoreShare share)
{
    return share.alone ? UsableCores() + 1 : 1;
}

// One run through the source into the file, and what the parts of the picture and the sound gave.
class PassRun {
public:
    PassRun(const SourceFacts &source, const PassPlan &pass, EncodeObserver &observer, CoreShare share);
    PassResult carryOut(const PassPlan &pass, WriteStage &file);

private:
    void runWhole(const PassPlan &pass, WriteStage &file);
    void runInPieces(const PassPlan &pass, WriteStage &file);
    void take(const EncodedPiece &part);
    void takeSound(const EncodeStage *sound);

    const SourceFacts &source_;
    EncodeObserver &observer_;
    CoreShare share_;
    EncodeProgress progress_;
    PassResult result_;
    double first_ = std::numeric_limits<double>::max(); // where the first frame encoded starts, in seconds
    double end_ = 0;                                    // and where the last one ends
};

PassRun::PassRun(const SourceFacts &source, const PassPlan &pass, EncodeObserver &observer, CoreShare share)
    : source_(source), observer_(observer), share_(share)
{
    progress_.pass = pass.pass == Pass::Second ? 2 : 1;
    progress_.passes = pass.pass == Pass::Only ? 1 : 2;
}

// Runs the parts, then writes what is left of the file and closes it, recording how long the output
// should last, as the pass encoded this many seconds of it.
PassResult PassRun::carryOut(const PassPlan &pass, WriteStage &file)
{
    if (pass.inPieces)
        runInPieces(pass, file);
    else
        runWhole(pass, file);
    const EncodePlan &plan = pass.encode;
    const QString dropped = result_.rate.dropped > 0 ? DroppedFramesNote(*plan.picture, result_.rate.frames, result_.rate.dropped) : QString();
    result_.encoded = end_ > first_ ? end_ - first_ : 0;
    file.finish(result_.encoded);
    progress_.done = 1;
    observer_.progress(progress_);
    if (!dropped.isEmpty() && !JointLeftOutTooMuch(result_))
        observer_.note(dropped);
    return result_;
}

// The whole picture and the sound, from one reader.
void PassRun::runWhole(const PassPlan &pass, WriteStage &file)
{
    const EncodePlan &plan = pass.encode;
    const bool withSound = plan.sound && file.writes();
    const double start = pass.picture.empty() ? plan.start : pass.picture.front().seekTo;
    const std::unique_ptr<MediaReader> reader = OpenReader(source_, !pass.picture.empty(), withSound, decoderThreads(share_), start);
    std::optional<Lane> picture;
    if (!pass.picture.empty()) {
        picture.emplace(PictureLane(*reader, source_, pass, pass.picture.front(), file.globalHeaders()));
        file.addPicture(picture->encoder.encoder().context());
    }
    std::optional<Lane> sound;
    if (withSound) {
        sound.emplace(SoundLane(*reader, plan, file.globalHeaders()));
        file.addSound(sound->encoder.encoder().context());
    }
    file.begin();
    const AVMediaType lead = picture ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
    const auto run = share_.alone ? RunLanesInThreads : RunLanesHere;
    run(*reader, picture ? &*picture : nullptr, sound ? &*sound : nullptr, [&](AVMediaType type, EncodedPackets &packets) {
        for (const PacketHandle &packet : packets.packets)
            file.write(type, packet.get());
        StopIfRequested();
        if (type == lead)
            progress_.done = plan.duration > 0 ? std::clamp(packets.position / plan.duration, 0.0, 1.0) : 0;
        if (type == AVMEDIA_TYPE_VIDEO)
            progress_.frames = packets.handled;
        observer_.progress(progress_);
    });
    if (picture)
        take(SummaryOf(picture->encoder));
    takeSound(sound ? &sound->encoder : nullptr);
}

// The pieces on threads of their own, the sound from a reader of its own in the calling thread.
void PassRun::runInPieces(const PassPlan &pass, WriteStage &file)
{
    const EncodePlan &plan = pass.encode;
    PieceEncoder pieces(source_, pass, file.globalHeaders());
    file.addPicture(pieces.firstLane().encoder.encoder().context());
    PieceWorkers workers(pass.picture.size(), share_.pieces, [&](size_t index, PieceThread &thread, const std::atomic<bool> &calledOff) {
        return pieces.encode(index, thread, calledOff);
    });
    // The pieces are under way while the sound is set up and the file begun.
    PiecesWriter writer(source_, plan, file);
    file.begin();
    PieceJoiner joiner(*plan.picture, file.timeBase(AVMEDIA_TYPE_VIDEO));
    const double frames = plan.duration * av_q2d(plan.picture->frameRate);
    const auto report = [&] {
        StopIfRequested();
        progress_.frames = pieces.framesDone();
        progress_.done = std::clamp(progress_.frames / frames, 0.0, 1.0);
        observer_.progress(progress_);
    };
    for (size_t index = 0; index < pass.picture.size(); ++index) {
        EncodedPiece piece = workers.next(report);
        writer.writePicture(joiner.join(std::move(piece.packets), pass.picture[index].startFullness));
        take(piece);
        report();
    }
    if (file.writes()) {
        writer.writePicture(joiner.finish());
        writer.finish();
    }
    result_.rate.frames -= joiner.leftOut();
    result_.rate.dropped += joiner.leftOut();
    result_.leftOutAtAJoint = joiner.longestLeftOut();
    takeSound(writer.soundEncoder());
}

// Counts what a part of the picture gave.
void PassRun::take(const EncodedPiece &part)
{
    result_.statistics.push_back(part.statistics);
    result_.rate.frames += part.frames;
    result_.rate.dropped += part.dropped;
    result_.rate.coarsest += part.coarsest;
    if (part.frames > 0) {
        first_ = std::min(first_, part.first);
        end_ = std::max(end_, part.end);
    }
}

// Counts the span of the sound encoded, where there was sound.
void PassRun::takeSound(const EncodeStage *sound)
{
    if (sound && sound->frames() > 0) {
        first_ = std::min(first_, sound->first());
        end_ = std::max(end_, sound->end());
    }
}

} // namespace

bool JointLeftOutTooMuch(const PassResult &result)
{
    return result.leftOutAtAJoint >= 1;
}

PassResult RunPass(const SourceFacts &source, const PassPlan &pass, WriteStage &file, EncodeObserver &observer,
                   CoreShare share)
{
    PassRun runner(source, pass, observer, share);
    return runner.carryOut(pass, file);
}
