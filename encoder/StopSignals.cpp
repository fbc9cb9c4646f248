#include "encoder/StopSignals.h"

#include <csignal>
#include <initializer_list>

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int)
{
    stopRequested = 1;
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
}

bool StopRequested()
{
    return stopRequested != 0;
}

void StopIfRequested()
{
    if (StopRequested())
        throw Stopped();
}
