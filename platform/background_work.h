#pragma once
// Long work that must not stop the windows: it runs on a thread of its own while the calling
// thread's event loop turns (the windows repaint and take input, timers fire).
#include <functional>

namespace lumira {

// Runs `work` on a new thread and turns this thread's event loop until it has ended. An exception
// `work` throws is thrown again here, on the calling thread.
void RunWhileEventsTurn(const std::function<void()>& work);

} // namespace lumira
