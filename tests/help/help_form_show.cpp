// Opens the main window on the program folder given as the first argument and, a moment later,
// the help window over it, as the help button does; used to take screenshots. The second argument
// picks what the help window shows: "top" (as opened), "notes" (scrolled to the end) or "newer"
// (after a check against a local server that offers version 1.1.0).
#include "app/main_window.h"
#include "help/help_window.h"
#include "help/html_label.h"
#include "loopback_http_server.h"
#include "platform/application.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTimer>
#include <memory>

using namespace lumira;

int main(int argc, char** argv)
{
    Application app(argc, argv);
    if (argc < 3) return 2;
    const QString mode = QString::fromLocal8Bit(argv[2]);
    LoopbackHttpServer server(OkAnswer("1.1.0\n"));
    try {
        auto form = std::make_unique<MainWindow>(QString::fromLocal8Bit(argv[1]));
        form->show();
        QTimer::singleShot(700, form.get(), [&form] { form->b_infoClick(); });
        QTimer::singleShot(1200, [&] {
            HelpWindow* help_form = nullptr;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* help = qobject_cast<HelpWindow*>(w)) help_form = help;
            if (!help_form) return;
            if (mode == QLatin1String("notes")) {
                help_form->pages->setCurrentWidget(help_form->scroll_box);
                QScrollBar* bar = help_form->scroll_box->verticalScrollBar();
                bar->setValue(bar->maximum());
            } else if (mode == QLatin1String("newer")) {
                help_form->http.connectHost = "127.0.0.1";
                help_form->http.connectPort = server.Port();
                help_form->help_textAnchorClick(help_form->help_text, QStringLiteral("get_updates"));
            }
        });
        return app.exec();
    } catch (...) {
        ShowCurrentException();
    }
    return 1;
}
