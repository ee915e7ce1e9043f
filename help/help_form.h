#pragma once
// The help window: notes about the program in a scrolling markup label, and the update check
// behind the label's "get_updates" link.
#include "help/http_client.h"
#include "help/update_check.h"

#include <QDialog>

class QScrollArea;
class QStatusBar;

namespace lumira {

class HtmlLabel;

class Thelp_form : public QDialog {
    Q_OBJECT
public:
    // `programVersion` is the version the update check compares with (the main window's version
    // label). The window belongs to `owner` and opens centred over it.
    Thelp_form(const QString& programVersion, QWidget* owner);
    ~Thelp_form() override;

    QScrollArea* scroll_box = nullptr;
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
extern Thelp_form* help_form;

} // namespace lumira
