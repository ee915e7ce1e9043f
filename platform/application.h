#pragma once
// The application object: an exception that escapes an event handler is shown in the error box
// and the message loop goes on; it never crosses Qt's event loop.
#include <QApplication>
#include <utility>

namespace lumira {

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the message of the exception being handled (inside a catch block) in the error box.
void ShowCurrentException();
// The message of the exception being handled (inside a catch block); empty for a thrown value
// that is not an error object.
QString CurrentExceptionMessage();

// A signal handler that never lets an exception into Qt's signal machinery: a failure is shown in
// the error box, as Application::notify would, and the window stays as the handler left it.
// Application::notify remains only the last resort for what no handler guards.
template <class Handler>
auto Guarded(Handler handler)
{
    return [handler = std::move(handler)] {
        try {
            handler();
        } catch (...) {
            ShowCurrentException();
        }
    };
}

} // namespace lumira
