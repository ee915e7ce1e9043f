#include "cli/interrupt.h"

#include "platform/language.h"

#include <csignal>
#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace lumira {

namespace {

volatile std::sig_atomic_t requested = 0;

// The private folder a second request removes before the program ends; empty when none.
char scratchFolder[4096] = {};
volatile std::sig_atomic_t scratchSet = 0;

// Only async-signal-safe calls: the folder is removed by a child "rm", waited for, and the
// request then ends the program as the signal's default would.
void RemoveScratchNow()
{
#ifndef _WIN32
    if (!scratchSet) return;
    const pid_t child = fork();
    if (child == 0) {
        char rm[] = "rm";
        char flags[] = "-rf";
        char* const args[] = {rm, flags, scratchFolder, nullptr};
        execv("/bin/rm", args);
        _exit(127);
    }
    if (child > 0) {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }
#endif
}

extern "C" void OnStopRequest(int sig)
{
    if (!requested) {
        requested = 1;  // the run stops at its next safe point and cleans up itself
        return;
    }
    // A second request is not held back, but it still takes the private folder with it.
    RemoveScratchNow();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

} // namespace

Interrupted::Interrupted() : Cancelled(Translate("lumira-cli", "Прервано.")) {}

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

ScratchRemovedOnStop::ScratchRemovedOnStop(const std::string& folder)
{
    if (folder.empty() || folder.size() >= sizeof scratchFolder) return;
    scratchSet = 0;
    std::memcpy(scratchFolder, folder.c_str(), folder.size() + 1);
    scratchSet = 1;
}

ScratchRemovedOnStop::~ScratchRemovedOnStop()
{
    scratchSet = 0;
}

} // namespace lumira
