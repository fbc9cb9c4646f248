#include "encoder/run/PiecesPass.h"

#include "encoder/common/StopSignals.h"
#include "encoder/lanes/BoundedQueue.h"
#include "encoder/lanes/LaneThreads.h"
#include "encoder/lanes/PieceWorkers.h"
#include "encoder/run/PieceJoiner.h"

#include <algorithm>
#include <deque>
#include <optional>

namespace {

// A piece that starts where the source is known to end already.
class PastTheEnd : public std::exception {
};

// What a piece keeps an eye on while it seeks and encodes, which the others may change.
struct PieceWatch {
    const std::atomic<bool> &calledOff;
    const SourceEnd &sourceEnd;
    double start; // where the piece starts, in seconds into the section

    // Throws Cancelled once the pieces are called off, PastTheEnd once the source is known to end
    // before the piece.
    void check() const
    {
        if (calledOff)
            throw Cancelled();
        if (sourceEnd.endsBy(start))
            throw PastTheEnd();
    }
};

// One piece of the picture, ready to run: the thread's reader, moved to the piece, and its lane.
Lane preparePiece(PieceThread &thread, const SourceFacts &source, const PassPlan &pass, const PicturePart &part,
                  bool globalHeaders, const PieceWatch &watch)
{
    const auto check = [&] { watch.check(); };
    if (thread.reader)
        thread.reader->seekPictureBefore(part.seekTo, check);
    else
        thread.reader = OpenReader(source, true, false, 1, part.seekTo, check);
    return PictureLane(*thread.reader, source, pass, part, globalHeaders);
}

EncodedPiece runPiece(MediaReader &reader, Lane &lane, const PieceWatch &watch, std::atomic<int> &framesDone)
{
    EncodedPiece piece;
    RunLanesHere(reader, &lane, nullptr, [&](AVMediaType, EncodedPackets &packets) {
        watch.check();
        framesDone += packets.frames - piece.frames;
        piece.frames = packets.frames;
        for (PacketHandle &packet : packets.packets)
            piece.packets.push_back(std::move(packet));
    });
    const EncodeStage &encoder = lane.encoder;
    piece.statistics = encoder.encoder().statistics();
    piece.dropped = encoder.dropped();
    piece.coarsest = encoder.coarsest();
    piece.first = encoder.first();
    piece.end = encoder.end();
    piece.sourceEnded = reader.ended();
    return piece;
}

// One pass in pieces: the file, the first piece made ready to describe the picture to it, the
// threads that encode the pieces, and the sound, encoded as the pieces are written.
class PiecesPass {
public:
    PiecesPass(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer, CoreShare share);
    PassResult run();

private:
    EncodedPiece encodePiece(size_t index, PieceThread &thread, const std::atomic<bool> &calledOff);
    void openSound();
    void writeSoundUntil(double seconds);
    void writePicture(const std::vector<PacketHandle> &packets);
    void report();

    const SourceFacts &source_;
    const PassPlan &pass_;
    EncodeObserver &observer_;
    CoreShare share_;
    std::optional<AsfWriter> writer_;
    bool globalHeaders_ = false;
    SourceEnd sourceEnd_;
    PieceThread firstThread_;
    std::optional<Lane> firstLane_;
    StreamSlot pictureSlot_;
    std::atomic<int> framesDone_ = 0;
    std::unique_ptr<MediaReader> soundReader_;
    std::optional<Lane> sound_;
    StreamSlot soundSlot_;
    std::deque<PacketHandle> soundWaiting_;
    std::optional<LanesHere> soundRun_;
    EncodeProgress progress_;
};

PiecesPass::PiecesPass(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                       CoreShare share)
    : source_(source), pass_(pass), observer_(observer), share_(share), progress_(ProgressOf(pass.pass))
{
    if (pass.writes())
        writer_.emplace(path, pass.encode);
    globalHeaders_ = writer_ && AsfWriter::WantsGlobalHeaders;
    // The thread that takes the first piece takes its reader too.
    const std::atomic<bool> notCalledOff = false;
    const PicturePart &first = pass.picture.front();
    firstLane_ = preparePiece(firstThread_, source, pass, first, globalHeaders_, PieceWatch{notCalledOff, sourceEnd_, first.start});
    if (writer_)
        pictureSlot_ = AddPictureStream(*writer_, firstLane_->encoder.encoder(), pass);
}

EncodedPiece PiecesPass::encodePiece(size_t index, PieceThread &thread, const std::atomic<bool> &calledOff)
{
    const PicturePart &part = pass_.picture[index];
    const PieceWatch watch{calledOff, sourceEnd_, part.start};
    if (sourceEnd_.endsBy(part.start))
        return EncodedPiece();
    // What libav complained of in this thread's last piece is not this one's reason.
    ForgetLibavComplaint();
    EncodedPiece piece;
    try {
        if (index == 0) {
            thread.reader = std::move(firstThread_.reader);
            piece = runPiece(*thread.reader, *firstLane_, watch, framesDone_);
        } else {
            Lane lane = preparePiece(thread, source_, pass_, part, globalHeaders_, watch);
            piece = runPiece(*thread.reader, lane, watch, framesDone_);
        }
    } catch (const PastTheEnd &) {
        return EncodedPiece();
    }
    if (piece.sourceEnded)
        sourceEnd_.reachedAt(piece.frames > 0 ? piece.end : part.start);
    return piece;
}

void PiecesPass::openSound()
{
    const EncodePlan &plan = pass_.encode;
    if (plan.audio && writer_) {
        soundReader_ = OpenReader(source_, false, true, 1, plan.start);
        sound_.emplace(SoundLane(*soundReader_, plan, globalHeaders_));
        soundSlot_ = AddSoundStream(*writer_, sound_->encoder.encoder(), plan);
        soundRun_.emplace(*soundReader_, nullptr, &*sound_, [this](AVMediaType, EncodedPackets &packets) {
            for (PacketHandle &packet : packets.packets)
                soundWaiting_.push_back(std::move(packet));
        });
    }
    if (writer_)
        writer_->begin();
}

// Writes the sound that starts up to this many seconds into the output.
void PiecesPass::writeSoundUntil(double seconds)
{
    while (soundRun_) {
        if (soundWaiting_.empty()) {
            if (!soundRun_->step())
                return;
            StopIfRequested();
        } else if (double(soundWaiting_.front()->pts) * av_q2d(soundSlot_.timeBase) <= seconds) {
            writer_->write(soundWaiting_.front().get(), soundSlot_.index, soundSlot_.timeBase);
            soundWaiting_.pop_front();
        } else {
            return;
        }
    }
}

void PiecesPass::writePicture(const std::vector<PacketHandle> &packets)
{
    for (const PacketHandle &packet : packets) {
        writeSoundUntil(double(packet->pts) * av_q2d(pictureSlot_.timeBase));
        writer_->write(packet.get(), pictureSlot_.index, pictureSlot_.timeBase);
    }
}

void PiecesPass::report()
{
    StopIfRequested();
    const double frames = pass_.encode.duration * av_q2d(pass_.encode.video->frameRate);
    progress_.frames = framesDone_;
    progress_.done = std::clamp(progress_.frames / frames, 0.0, 1.0);
    observer_.progress(progress_);
}

PassResult PiecesPass::run()
{
    PieceWorkers workers(pass_.picture.size(), share_.pieces, [this](size_t index, PieceThread &thread, const std::atomic<bool> &calledOff) {
        return encodePiece(index, thread, calledOff);
    });
    // The pieces are under way while the sound is set up and the file begun.
    openSound();
    PassResult result;
    EncodedSpan span;
    PieceJoiner joiner(*pass_.encode.video, pictureSlot_.timeBase);
    for (size_t index = 0; index < pass_.picture.size(); ++index) {
        EncodedPiece piece = workers.next([this] { report(); });
        writePicture(joiner.join(std::move(piece.packets), pass_.picture[index].startFullness));
        result.statistics.push_back(std::move(piece.statistics));
        result.rate.frames += piece.frames;
        result.rate.dropped += piece.dropped;
        result.rate.coarsest += piece.coarsest;
        if (piece.frames > 0)
            span.add(piece.first, piece.end);
        report();
    }
    if (writer_) {
        writePicture(joiner.finish());
        writeSoundUntil(std::numeric_limits<double>::infinity());
    }
    if (sound_)
        span.add(sound_->encoder);
    result.encoded = span.seconds();
    if (writer_)
        FinishOutput(*writer_, pass_.encode, result.encoded);
    result.rate.frames -= joiner.leftOut();
    result.rate.dropped += joiner.leftOut();
    progress_.done = 1;
    observer_.progress(progress_);
    if (result.rate.dropped > 0)
        observer_.note(DroppedFramesNote(*pass_.encode.video, result.rate));
    return result;
}

} // namespace

PassResult RunInPieces(const SourceFacts &source, const PassPlan &pass, const QString &path, EncodeObserver &observer,
                       CoreShare share)
{
    return PiecesPass(source, pass, path, observer, share).run();
}
