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
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, requestStop);
}

bool StopRequested()
{
    return stopRequested != 0;
}
