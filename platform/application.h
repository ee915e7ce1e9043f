#pragma once
// The application object: an exception that escapes an event handler is shown in the error box
// and the message loop goes on; it never crosses Qt's event loop.
#include <QApplication>

class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the message of the exception being handled (inside a catch block) in the error box.
void ShowCurrentException();
