#pragma once
// The help window: how to make a book and read it on a phone, and notes about the program, each
// in a scrolling markup label; the update check behind the notes' "get_updates" link.
#include "help/http_client.h"
#include "help/update_check.h"

#include <QDialog>

class QScrollArea;
class QStatusBar;
class QTabWidget;

namespace lumira {

class HtmlLabel;

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    // `programVersion` is the version the update check compares with (the main window's version
    // label). The window belongs to `owner` and opens centred over it.
    HelpWindow(const QString& programVersion, QWidget* owner);
    ~HelpWindow() override;

    // Two pages: how to make and read a book (opened first), and about the program.
    QTabWidget* pages = nullptr;
    QScrollArea* how_to_box = nullptr;
    HtmlLabel* how_to = nullptr;
    QScrollArea* scroll_box = nullptr;  // about the program: the stored text and the update check
    HtmlLabel* help_text = nullptr;
    QStatusBar* status_bar = nullptr;
    HttpClient http;
    UpdateServer updateServer;

    // A press on a link the label does not open itself; only "get_updates" does anything.
    void help_textAnchorClick(QObject* sender, const QString& anchor);

    const QString& ProgramVersion() const { return programVersion_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString programVersion_;
    bool placed_ = false;
    bool checking_ = false;  // an update check is under way
};

// The help window while it is open.

} // namespace lumira
