#include "encoder/run/PieceEncoder.h"

#include "encoder/lanes/BoundedQueue.h"
#include "encoder/lanes/LaneThreads.h"
#include "encoder/run/PartLanes.h"

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
    std::vector<PacketHandle> packets;
    int handled = 0;
    RunLanesHere(reader, &lane, nullptr, [&](AVMediaType, EncodedPackets &encoded) {
        watch.check();
        framesDone += encoded.handled - handled;
        handled = encoded.handled;
        for (PacketHandle &packet : encoded.packets)
            packets.push_back(std::move(packet));
    });
    EncodedPiece piece = SummaryOf(lane.encoder);
    piece.packets = std::move(packets);
    piece.sourceEnded = reader.ended();
    return piece;
}

} // namespace

PieceEncoder::PieceEncoder(const SourceFacts &source, const PassPlan &pass, bool globalHeaders)
    : source_(source), pass_(pass), globalHeaders_(globalHeaders)
{
    // The thread that takes the first piece takes its reader too.
    const std::atomic<bool> notCalledOff = false;
    const PicturePart &first = pass.picture.front();
    firstLane_ = preparePiece(firstThread_, source, pass, first, globalHeaders, PieceWatch{notCalledOff, sourceEnd_, first.start});
}

EncodedPiece PieceEncoder::encode(size_t index, PieceThread &thread, const std::atomic<bool> &calledOff)
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
