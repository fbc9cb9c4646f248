#pragma once

#include "encoder/common/LibavSupport.h"
#include "encoder/read/MediaReader.h"

#include <QByteArray>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

// Where the source's picture was found to end, in seconds into the section, by the first piece that
// reached its end: a container announces a length that a cut-off download does not hold, and a piece
// that starts past the real end has nothing to encode.
class SourceEnd {
public:
    void reachedAt(double seconds);
    // Whether the source is known to end at or before this many seconds into the section.
    bool endsBy(double seconds) const { return seconds >= end_; }

private:
    std::atomic<double> end_ = std::numeric_limits<double>::infinity();
};

// What encoding one piece gave; times count from the section's start.
struct EncodedPiece {
    std::vector<PacketHandle> packets; // in the encoder's time base, one frame
    QByteArray statistics;             // a first pass's
    int frames = 0;
    int dropped = 0;
    int coarsest = 0; // frames encoded at the coarsest quantiser
    bool sourceEnded = false; // reading came to the end of the source
    double first = std::numeric_limits<double>::max(); // seconds where the first frame encoded starts
    double end = 0;                                    // and where the last one ends
};

// What a thread keeps from one piece to its next: the source, open where the last piece left it, so
// that its index is read once.
struct PieceThread {
    std::unique_ptr<MediaReader> reader;
};

// Encodes pieces on threads of their own and hands them back in order. A thread takes the next piece
// only while fewer than `atOnce` pieces are under way or waiting to be taken, so that memory stays
// the same whatever the length of the source.
class PieceWorkers {
public:
    // Encodes the piece of the given number in the given thread; it ends early with Cancelled once
    // calledOff is set.
    using Work = std::function<EncodedPiece(size_t piece, PieceThread &thread, const std::atomic<bool> &calledOff)>;

    // Throws Failure where no thread can be started.
    PieceWorkers(size_t pieces, int atOnce, Work work);
    // Calls off the pieces under way and waits for their threads.
    ~PieceWorkers();
    PieceWorkers(const PieceWorkers &) = delete;
    PieceWorkers &operator=(const PieceWorkers &) = delete;

    // Waits for the next piece in order, calling whileWaiting every tenth of a second; raises the
    // piece's failure in its place, or that of a later piece as soon as one fails, as the whole
    // encode fails then.
    EncodedPiece next(const std::function<void()> &whileWaiting);

private:
    struct Outcome {
        EncodedPiece piece;
        std::exception_ptr failure;
    };

    void run();
    void callOff();

    Work work_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::optional<Outcome>> outcomes_;
    size_t atOnce_;
    size_t started_ = 0;
    size_t taken_ = 0;
    std::atomic<bool> calledOff_ = false;
    std::vector<std::thread> threads_;
};
