#pragma once
// Ctrl+C and termination requests: the run stops at the next safe point and still removes its
// private folder and any half-written package. A second request ends the program at once, after
// removing the private folder registered with ScratchRemovedOnStop.
#include "platform/errors.h"

#include <string>

namespace lumira {

// Raised at a safe point once a stop was requested.
class Interrupted : public Cancelled {
public:
    Interrupted();
};

void InstallInterruptHandlers();
bool InterruptRequested();
// Throws Interrupted when a stop was requested.
void CheckInterrupt();

// While it lives, a second stop request removes `folder` (and all in it) before the program ends.
class ScratchRemovedOnStop {
public:
    explicit ScratchRemovedOnStop(const std::string& folder);
    ~ScratchRemovedOnStop();
    ScratchRemovedOnStop(const ScratchRemovedOnStop&) = delete;
    ScratchRemovedOnStop& operator=(const ScratchRemovedOnStop&) = delete;
};

} // namespace lumira
