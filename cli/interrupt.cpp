#include "cli/interrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t requested = 0;

extern "C" void OnStopRequest(int sig)
{
    requested = 1;
    std::signal(sig, SIG_DFL);  // a second request is not held back
}

} // namespace

void InstallInterruptHandlers()
{
    std::signal(SIGINT, OnStopRequest);
    std::signal(SIGTERM, OnStopRequest);
#ifdef SIGHUP
    std::signal(SIGHUP, OnStopRequest);
#endif
}

bool InterruptRequested()
{
    return requested != 0;
}

void CheckInterrupt()
{
    if (requested) throw Interrupted();
}
