#pragma once

#include "encoder/common/StopSignals.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

// Raised in a thread of an encode whose work was called off because another part of it ended the
// encode; that part reports why.
struct Cancelled {};

// Hands items from one thread to another, holding at most a fixed number of them, so that a stage
// that runs ahead waits for a slower one rather than filling memory.
template <typename T>
class BoundedQueue {
public:
    explicit BoundedQueue(size_t capacity) : capacity_(capacity) {}

    // Waits for room. Throws Cancelled once the queue is closed, Stopped once a stop is asked for.
    void push(T item)
    {
        std::unique_lock lock(mutex_);
        waitUntil(lock, [this] { return items_.size() < capacity_; });
        items_.push_back(std::move(item));
        changed_.notify_all();
    }

    // Waits for an item. Throws as push does.
    T pop()
    {
        std::unique_lock lock(mutex_);
        waitUntil(lock, [this] { return !items_.empty(); });
        T item = std::move(items_.front());
        items_.pop_front();
        changed_.notify_all();
        return item;
    }

    // Ends every wait, now and later, with Cancelled.
    void close()
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
        changed_.notify_all();
    }

private:
    // A signal handler cannot wake a waiting thread, so a wait looks for a stop request now and then.
    static constexpr std::chrono::milliseconds StopPoll{50};

    template <typename Ready>
    void waitUntil(std::unique_lock<std::mutex> &lock, Ready ready)
    {
        while (!closed_ && !ready()) {
            StopIfRequested();
            changed_.wait_for(lock, StopPoll);
        }
        if (closed_)
            throw Cancelled();
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<T> items_;
    const size_t capacity_;
    bool closed_ = false;
};
