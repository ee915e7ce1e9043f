#include "platform/background_work.h"

#include <QEventLoop>
#include <QMetaObject>
#include <exception>
#include <thread>

namespace lumira {

void RunWhileEventsTurn(const std::function<void()>& work)
{
    QEventLoop loop;
    std::exception_ptr failure;
    std::thread worker([&] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        // Queued: the loop ends on its own thread, also when the work ended before it started.
        QMetaObject::invokeMethod(&loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    if (failure) std::rethrow_exception(failure);
}

} // namespace lumira
