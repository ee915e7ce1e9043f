// The main window's help button: a fresh help window, owned by the main window, shown modally.
#include "app/main_window.h"
#include "help/help_window.h"
#include "help/help_text.h"
#include "help/html_label.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <gtest/gtest.h>

namespace lumira {

namespace {

struct Seen {
    QPointer<HelpWindow> window;
    bool modal = false;
    QWidget* owner = nullptr;
    QString version;
    QString markup;
};

// Looks at the modal window once the event loop runs, leaves `replaceText` in it, and closes it.
void CloseWhenShown(Seen& seen, const QString& replaceText)
{
    QTimer::singleShot(0, [&seen, replaceText] {
        auto* window = qobject_cast<HelpWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr);
        seen.window = window;
        seen.modal = window->isModal() && window->isVisible();
        seen.owner = window->parentWidget();
        seen.version = window->ProgramVersion();
        seen.markup = window->help_text->Markup();
        window->help_text->SetText(replaceText);
        window->reject();
    });
}

} // namespace

TEST(HelpButton, OpensAFreshModalWindowEachTime)
{
    ScriptedDesktop desktop;
    AppFolder app;
    MainWindow form(app.DirText());
    form.show();
    form.version->setText(QStringLiteral("2.5b"));
    const QString stored = StoredHelpText().join(QString());

    Seen first;
    CloseWhenShown(first, QStringLiteral("changed"));
    form.b_infoClick();
    EXPECT_TRUE(first.modal);
    EXPECT_EQ(first.owner, &form);
    EXPECT_EQ(first.version, QStringLiteral("2.5b"));  // compared with the version label's caption
    EXPECT_EQ(first.markup, stored);
    EXPECT_TRUE(first.window.isNull());  // destroyed once closed
    for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<HelpWindow*>(w), nullptr);

    Seen second;
    CloseWhenShown(second, QString());
    form.b_infoClick();
    EXPECT_EQ(second.markup, stored);  // every opening starts with the stored text
    EXPECT_TRUE(second.window.isNull());
    EXPECT_TRUE(desktop.errors.isEmpty());
}

} // namespace lumira
