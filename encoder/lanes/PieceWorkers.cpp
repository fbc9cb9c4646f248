#include "encoder/lanes/PieceWorkers.h"

#include "encoder/lanes/BoundedQueue.h"
#include "platform/Failure.h"

#include <algorithm>
#include <chrono>
#include <pthread.h>
#include <system_error>

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
