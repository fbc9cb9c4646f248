#include "encoder/PicturePieces.h"

#include "encoder/BoundedQueue.h"
#include "platform/Failure.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <pthread.h>
#include <system_error>

namespace {

// Enough of the source around a piece for the frame-rate filter and the deinterlacer to see the
// frames beside its first and last ones, as they do in one piece.
constexpr double Margin = 1.0;

// A piece costs an encoder and a reader of its own, and its margins, so a piece is no shorter than
// this many seconds; and its packets wait while the pieces before it are written, so it is no
// longer than this.
constexpr double ShortestPiece = 5;
constexpr double LongestPiece = 30;

double frameSeconds(const EncodePlan &plan, int64_t frame)
{
    return double(frame) / av_q2d(plan.video->frameRate);
}

} // namespace

std::vector<PicturePiece> SplitPicture(const EncodePlan &plan, int atOnce)
{
    if (atOnce < 2 || !plan.video || plan.duration <= 0 || plan.video->mode == RateMode::VbrTwoPass
        || plan.video->preprocessing == Preprocessing::InverseTelecine)
        return {};
    const double rate = av_q2d(plan.video->frameRate);
    const auto frames = int64_t(std::ceil(plan.duration * rate));
    const auto shortest = int64_t(std::ceil(ShortestPiece * rate));
    const auto longest = int64_t(std::ceil(LongestPiece * rate));
    // As many pieces as threads, or a multiple, so that all end together.
    const int64_t rounds = (frames + atOnce * longest - 1) / (atOnce * longest);
    const int64_t count = std::min(atOnce * rounds, frames / std::max<int64_t>(1, shortest));
    if (count < 2)
        return {};
    const int64_t length = (frames + count - 1) / count;
    std::vector<PicturePiece> pieces;
    for (int64_t first = 0; first < frames; first += length)
        pieces.push_back({first, first + length < frames ? std::optional(first + length) : std::nullopt});
    return pieces;
}

double PieceStart(const EncodePlan &plan, const PicturePiece &piece)
{
    return frameSeconds(plan, piece.firstFrame);
}

Trim PieceTrim(const EncodePlan &plan, const PicturePiece &piece)
{
    const Trim section = SectionTrim(plan);
    Trim trim;
    trim.origin = section.origin;
    const double start = section.origin + PieceStart(plan, piece);
    trim.start = piece.firstFrame == 0 ? section.start : std::max(section.start, start - Margin);
    trim.end = section.end;
    if (piece.endFrame) {
        const double end = section.origin + frameSeconds(plan, *piece.endFrame) + Margin;
        trim.end = section.end ? std::min(*section.end, end) : end;
    }
    return trim;
}

PieceWorkers::PieceWorkers(size_t pieces, int atOnce, Work work)
    : work_(std::move(work)), outcomes_(pieces), atOnce_(size_t(std::max(1, atOnce)))
{
    try {
        for (size_t thread = 0; thread < std::min(atOnce_, pieces); ++thread)
            threads_.emplace_back([this] {
                pthread_setname_np(pthread_self(), "picture piece");
                run();
            });
    } catch (const std::system_error &error) {
        callOff();
        for (std::thread &thread : threads_)
            thread.join();
        throw Failure(QStringLiteral("Cannot start the encode's threads: %1").arg(QString::fromLocal8Bit(error.what())));
    }
}

PieceWorkers::~PieceWorkers()
{
    callOff();
    for (std::thread &thread : threads_)
        thread.join();
}

void PieceWorkers::callOff()
{
    const std::lock_guard lock(mutex_);
    calledOff_ = true;
    changed_.notify_all();
}

void PieceWorkers::run()
{
    PieceThread thread;
    while (true) {
        size_t piece = 0;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return calledOff_ || started_ == outcomes_.size() || started_ < taken_ + atOnce_; });
            if (calledOff_ || started_ == outcomes_.size())
                return;
            piece = started_++;
        }
        Outcome outcome;
        try {
            outcome.piece = work_(piece, thread, calledOff_);
        } catch (const Cancelled &) {
            return;
        } catch (...) {
            outcome.failure = std::current_exception();
        }
        const std::lock_guard lock(mutex_);
        outcomes_[piece] = std::move(outcome);
        changed_.notify_all();
    }
}

void SourceEnd::reachedAt(double seconds)
{
    double known = end_;
    while (seconds < known && !end_.compare_exchange_weak(known, seconds)) {
    }
}

EncodedPiece PieceWorkers::next(const std::function<void()> &whileWaiting)
{
    std::unique_lock lock(mutex_);
    while (!outcomes_[taken_]) {
        for (size_t later = taken_ + 1; later < started_; ++later)
            if (outcomes_[later] && outcomes_[later]->failure)
                std::rethrow_exception(outcomes_[later]->failure);
        changed_.wait_for(lock, std::chrono::milliseconds(100));
        lock.unlock();
        whileWaiting();
        lock.lock();
    }
    Outcome outcome = std::move(*outcomes_[taken_]);
    outcomes_[taken_].reset();
    ++taken_;
    changed_.notify_all();
    if (outcome.failure)
        std::rethrow_exception(outcome.failure);
    return std::move(outcome.piece);
}
