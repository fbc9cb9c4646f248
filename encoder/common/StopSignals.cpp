#include "encoder/common/StopSignals.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

namespace {

// Set in a signal handler and read by every thread of the utility: a lock-free atomic is safe for both.
std::atomic<bool> stopRequested = false;
static_assert(std::atomic<bool>::is_always_lock_free);

void requestStop(int)
{
    stopRequested = true;
}

} // namespace

void WatchStopSignals()
{
    // Without SA_RESTART a read that waits is cut short, so that the reading code sees the request.
    struct sigaction stop{};
    stop.sa_handler = requestStop;
    sigemptyset(&stop.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaction(signal, &stop, nullptr);
    std::signal(SIGXFSZ, SIG_IGN);
    // A console that has gone away (the output piped into head, or less quit early) stops nothing
    // but the console: the encode goes on, and its writes there fail unseen.
    std::signal(SIGPIPE, SIG_IGN);
}

bool StopRequested()
{
    return stopRequested;
}

void StopIfRequested()
{
    if (StopRequested())
        throw Stopped();
}
