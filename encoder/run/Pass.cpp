#include "encoder/run/Pass.h"

#include "encoder/asked/Jobs.h"
#include "encoder/common/StopSignals.h"
#include "encoder/lanes/LaneThreads.h"
#include "encoder/plan/MadeFrom.h"
#include "encoder/run/PartLanes.h"
#include "encoder/run/PieceEncoder.h"
#include "encoder/run/PieceJoiner.h"
#include "encoder/write/AsfWriter.h"

#include <algorithm>
#include <deque>
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

// The note that frames were dropped to hold the rate, and what the picture's movement became.
QString droppedFramesNote(const VideoPlan &video, const RateRecord &rate)
{
    const int all = rate.frames + rate.dropped;
    const double movement = av_q2d(video.frameRate) * rate.frames / all;
    return QStringLiteral("To hold %1 bit/s, %2 of %3 frames were dropped, so the picture moves at %4 fps on average; "
                          "a smaller picture, a lower frame rate or a higher bit rate would keep them.")
        .arg(video.bitRate).arg(rate.dropped).arg(all).arg(QString::number(movement, 'f', 1));
}

// Where a lane's packets go in the file.
struct StreamSlot {
    int index = -1;
    AVRational timeBase{1, 1};
};

// One run through the source: the file, where the picture's and the sound's packets go in it, the
// sound's lane, and what the parts of the picture gave.
class PassRun {
public:
    PassRun(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer, CoreShare share);
    PassResult carryOut(const PassPlan &pass);

private:
    void runWhole(const PassPlan &pass);
    void runInPieces(const PassPlan &pass);
    void addPicture(const Lane &lane, const PassPlan &pass);
    void addSound(const MediaReader &reader, const EncodePlan &plan);
    void begin();
    void openSoundAlone(const EncodePlan &plan);
    void write(const StreamSlot &slot, AVPacket *packet);
    void writeSoundUntil(double seconds);
    void writePicture(const std::vector<PacketHandle> &packets);
    void take(const EncodedPiece &part);
    void reportPieces(const PieceEncoder &pieces, const EncodePlan &plan);
    PassResult finish(const EncodePlan &plan);

    const SourceFacts &source_;
    EncodeObserver &observer_;
    CoreShare share_;
    std::optional<AsfWriter> writer_;
    bool globalHeaders_ = false;
    StreamSlot pictureSlot_;
    std::optional<Lane> sound_;
    StreamSlot soundSlot_;
    // In pieces, the sound's own reader, run a step at a time as the picture is written.
    std::unique_ptr<MediaReader> soundReader_;
    std::optional<LanesHere> soundRun_;
    std::deque<PacketHandle> soundWaiting_;
    EncodeProgress progress_;
    PassResult result_;
    double first_ = std::numeric_limits<double>::max(); // where the first frame encoded starts, in seconds
    double end_ = 0;                                    // and where the last one ends
};

PassRun::PassRun(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                 CoreShare share)
    : source_(source), observer_(observer), share_(share)
{
    progress_.pass = pass.pass == Pass::Second ? 2 : 1;
    progress_.passes = pass.pass == Pass::Only ? 1 : 2;
    if (pass.writes())
        writer_.emplace(path, pass.encode);
    globalHeaders_ = writer_ && AsfWriter::WantsGlobalHeaders;
}

PassResult PassRun::carryOut(const PassPlan &pass)
{
    if (pass.inPieces)
        runInPieces(pass);
    else
        runWhole(pass);
    return finish(pass.encode);
}

void PassRun::addPicture(const Lane &lane, const PassPlan &pass)
{
    const AVCodecContext &encoder = lane.encoder.encoder().context();
    if (writer_)
        pictureSlot_ = {writer_->addStream(encoder, pass.encode.video->declaredRate()), encoder.time_base};
}

void PassRun::addSound(const MediaReader &reader, const EncodePlan &plan)
{
    sound_.emplace(SoundLane(reader, plan, globalHeaders_));
    const AVCodecContext &encoder = sound_->encoder.encoder().context();
    soundSlot_ = {writer_->addStream(encoder, SoundRate(*plan.audio, encoder.frame_size)), encoder.time_base};
}

void PassRun::begin()
{
    if (writer_)
        writer_->begin();
}

void PassRun::write(const StreamSlot &slot, AVPacket *packet)
{
    writer_->write(packet, slot.index, slot.timeBase);
}

// The whole picture and the sound, from one reader.
void PassRun::runWhole(const PassPlan &pass)
{
    const EncodePlan &plan = pass.encode;
    const bool sound = plan.audio && writer_;
    const double start = pass.picture.empty() ? plan.start : pass.picture.front().seekTo;
    const std::unique_ptr<MediaReader> reader = OpenReader(source_, !pass.picture.empty(), sound, decoderThreads(share_), start);
    std::optional<Lane> picture;
    if (!pass.picture.empty()) {
        picture.emplace(PictureLane(*reader, source_, pass, pass.picture.front(), globalHeaders_));
        addPicture(*picture, pass);
    }
    if (sound)
        addSound(*reader, plan);
    begin();
    const AVMediaType lead = picture ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
    const auto run = share_.alone ? RunLanesInThreads : RunLanesHere;
    run(*reader, picture ? &*picture : nullptr, sound_ ? &*sound_ : nullptr, [&](AVMediaType type, EncodedPackets &packets) {
        for (const PacketHandle &packet : packets.packets)
            write(type == AVMEDIA_TYPE_VIDEO ? pictureSlot_ : soundSlot_, packet.get());
        StopIfRequested();
        if (type == lead)
            progress_.done = plan.duration > 0 ? std::clamp(packets.position / plan.duration, 0.0, 1.0) : 0;
        if (type == AVMEDIA_TYPE_VIDEO)
            progress_.frames = packets.frames;
        observer_.progress(progress_);
    });
    if (picture)
        take(SummaryOf(picture->encoder));
}

// The pieces on threads of their own, the sound from a reader of its own in the calling thread.
void PassRun::runInPieces(const PassPlan &pass)
{
    PieceEncoder pieces(source_, pass, globalHeaders_);
    addPicture(pieces.firstLane(), pass);
    PieceWorkers workers(pass.picture.size(), share_.pieces, [&](size_t index, PieceThread &thread, const std::atomic<bool> &calledOff) {
        return pieces.encode(index, thread, calledOff);
    });
    // The pieces are under way while the sound is set up and the file begun.
    openSoundAlone(pass.encode);
    begin();
    PieceJoiner joiner(*pass.encode.video, pictureSlot_.timeBase);
    for (size_t index = 0; index < pass.picture.size(); ++index) {
        EncodedPiece piece = workers.next([&] { reportPieces(pieces, pass.encode); });
        writePicture(joiner.join(std::move(piece.packets), pass.picture[index].startFullness));
        take(piece);
        reportPieces(pieces, pass.encode);
    }
    if (writer_) {
        writePicture(joiner.finish());
        writeSoundUntil(std::numeric_limits<double>::infinity());
    }
    result_.rate.frames -= joiner.leftOut();
    result_.rate.dropped += joiner.leftOut();
}

void PassRun::openSoundAlone(const EncodePlan &plan)
{
    if (!plan.audio || !writer_)
        return;
    soundReader_ = OpenReader(source_, false, true, 1, plan.start);
    addSound(*soundReader_, plan);
    soundRun_.emplace(*soundReader_, nullptr, &*sound_, [this](AVMediaType, EncodedPackets &packets) {
        for (PacketHandle &packet : packets.packets)
            soundWaiting_.push_back(std::move(packet));
    });
}

// Writes the sound that starts up to this many seconds into the output.
void PassRun::writeSoundUntil(double seconds)
{
    while (soundRun_) {
        if (soundWaiting_.empty()) {
            if (!soundRun_->step())
                return;
            StopIfRequested();
        } else if (double(soundWaiting_.front()->pts) * av_q2d(soundSlot_.timeBase) <= seconds) {
            write(soundSlot_, soundWaiting_.front().get());
            soundWaiting_.pop_front();
        } else {
            return;
        }
    }
}

void PassRun::writePicture(const std::vector<PacketHandle> &packets)
{
    for (const PacketHandle &packet : packets) {
        writeSoundUntil(double(packet->pts) * av_q2d(pictureSlot_.timeBase));
        write(pictureSlot_, packet.get());
    }
}

void PassRun::reportPieces(const PieceEncoder &pieces, const EncodePlan &plan)
{
    StopIfRequested();
    const double frames = plan.duration * av_q2d(plan.video->frameRate);
    progress_.frames = pieces.framesDone();
    progress_.done = std::clamp(progress_.frames / frames, 0.0, 1.0);
    observer_.progress(progress_);
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

// Writes what is left of the file and closes it, recording how long the output should last, as the
// pass encoded this many seconds of it.
PassResult PassRun::finish(const EncodePlan &plan)
{
    if (sound_ && sound_->encoder.frames() > 0) {
        first_ = std::min(first_, sound_->encoder.first());
        end_ = std::max(end_, sound_->encoder.end());
    }
    result_.encoded = end_ > first_ ? end_ - first_ : 0;
    if (writer_)
        writer_->finish(RecordWithLength(plan.madeFrom, LengthToExpect(plan, result_.encoded)));
    progress_.done = 1;
    observer_.progress(progress_);
    if (result_.rate.dropped > 0)
        observer_.note(droppedFramesNote(*plan.video, result_.rate));
    return result_;
}

} // namespace

PassResult RunPass(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                   CoreShare share)
{
    PassRun runner(source, pass, path, observer, share);
    return runner.carryOut(pass);
}
