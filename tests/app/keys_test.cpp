// The window's keys: paging the preview from anywhere a field does not use the key, the keys for
// the main actions, and access letters that are unique in both languages.
#include "app/main_window.h"
#include "help/help_window.h"
#include "platform/language.h"
#include "platform/paths.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

namespace lumira {

namespace {

struct KeysTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    TempDir texts;
    std::unique_ptr<MainWindow> form;

    void Start()
    {
        // The stored phone is the list's second.
        app.Write("profiles.ini", "[Large]\r\nWidth=240\r\nHeight=320\r\n[Small]\r\nWidth=128\r\nHeight=96\r\n");
        form = std::make_unique<MainWindow>(app.DirText());
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        // A text of many pages on the small screen.
        std::string text;
        for (int i = 0; i < 150; ++i) text += "line " + std::to_string(i) + "\r\n";
        texts.Write("long.txt", text);
        desktop.openAnswers.push_back(FromFsPath(texts / "long.txt"));
        form->cxButtonEdit1PropertiesButtonClick();
        form->e_caption->setText(QStringLiteral("Book"));
        ASSERT_EQ(form->Book.pageStart, 1);
        ASSERT_TRUE(form->b_p_down->isEnabled());
    }

    void Key(QWidget* from, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        from->setFocus();
        QTest::keyClick(from, key, modifiers);
    }
};

// Every caption with an access letter, the letter lower-cased.
std::vector<QChar> AccessLetters(QWidget& window)
{
    std::vector<QChar> letters;
    const auto take = [&](const QString& caption) {
        const qsizetype amp = caption.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < caption.size()) letters.push_back(caption[amp + 1].toLower());
    };
    for (auto* b : window.findChildren<QAbstractButton*>()) take(b->text());
    for (auto* l : window.findChildren<QLabel*>())
        if (l->buddy()) take(l->text());
    return letters;
}

} // namespace

TEST_F(KeysTest, PagingKeysPageThePreviewUnlessTheFieldWithTheFocusUsesThem)
{
    Start();
    // From a button and from a text field that has no use for them.
    Key(form->b_close, Qt::Key_PageDown);
    const std::int32_t second = form->Book.pageStart;
    EXPECT_GT(second, 1);
    Key(form->e_caption, Qt::Key_PageDown);
    const std::int32_t third = form->Book.pageStart;
    EXPECT_GT(third, second);
    Key(form->e_caption, Qt::Key_PageUp);
    EXPECT_LT(form->Book.pageStart, third);

    // End: the last page; Home: the first.
    Key(form->b_font, Qt::Key_End);
    EXPECT_FALSE(form->b_p_down->isEnabled());
    const std::int32_t last = form->Book.pageStart;
    EXPECT_GT(last, second);
    Key(form->b_font, Qt::Key_Home);
    EXPECT_EQ(form->Book.pageStart, 1);
    EXPECT_FALSE(form->b_p_up->isEnabled());

    // A text field keeps Home and End for its cursor; a number field and a list keep all four.
    form->e_caption->setCursorPosition(2);
    Key(form->e_caption, Qt::Key_End);
    EXPECT_EQ(form->e_caption->cursorPosition(), form->e_caption->text().size());
    EXPECT_EQ(form->Book.pageStart, 1);
    form->e_upper_cut->setValue(0);
    Key(form->e_upper_cut, Qt::Key_PageUp);
    EXPECT_GT(form->e_upper_cut->value(), 0);
    EXPECT_EQ(form->Book.pageStart, 1);
    Key(form->e_sysline, Qt::Key_End);
    EXPECT_EQ(form->Book.pageStart, 1);

    // The preview itself pages with the arrows too.
    QWidget* preview = form->findChild<QWidget*>(QStringLiteral("previewFrame"));
    ASSERT_NE(preview, nullptr);
    Key(preview, Qt::Key_Down);
    EXPECT_GT(form->Book.pageStart, 1);
    Key(preview, Qt::Key_End);
    EXPECT_FALSE(form->b_p_down->isEnabled());
    EXPECT_GT(form->Book.pageStart, 1);
}

TEST_F(KeysTest, TheMainActionsHaveTheirKeysWhereverTheFocusIs)
{
    Start();
    // Ctrl+O chooses a text (the dialog answers nothing here).
    desktop.openAnswers.push_back(std::nullopt);
    const std::size_t opened = desktop.openRequests.size();
    Key(form->b_font, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(desktop.openRequests.size(), opened + 1);

    // Ctrl+Enter creates, from a field as from a button; the dialog is cancelled.
    for (QWidget* from : {static_cast<QWidget*>(form->e_caption), static_cast<QWidget*>(form->b_back)}) {
        desktop.saveAnswers.push_back(std::nullopt);
        const std::size_t asked = desktop.saveRequests.size();
        Key(from, Qt::Key_Return, Qt::ControlModifier);
        EXPECT_EQ(desktop.saveRequests.size(), asked + 1);
    }
    // Not while Create is disabled.
    form->e_caption->clear();
    ASSERT_FALSE(form->b_ok->isEnabled());
    const std::size_t asked = desktop.saveRequests.size();
    Key(form->e_text, Qt::Key_Enter, Qt::ControlModifier);
    EXPECT_EQ(desktop.saveRequests.size(), asked);

    // F1 opens the help window, which its own Esc closes.
    bool helpShown = false;
    QTimer::singleShot(0, [&] {
        if (auto* help = qobject_cast<HelpWindow*>(QApplication::activeModalWidget())) {
            helpShown = true;
            help->reject();
        }
    });
    Key(form->e_caption, Qt::Key_F1);
    EXPECT_TRUE(helpShown);
    EXPECT_TRUE(form->isVisible());
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // Ctrl+Q closes the window, saving the settings as a close does.
    Key(form->e_caption, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(std::filesystem::exists(app / "config.ini"));
}

TEST_F(KeysTest, AccessLettersAreUniqueInEachLanguageAndTakeTheirControl)
{
    for (const Language language : {Language::Russian, Language::English}) {
        ApplyLanguage(language);
        form = std::make_unique<MainWindow>(app.DirText());
        const std::vector<QChar> letters = AccessLetters(*form);
        const QSet<QChar> unique(letters.begin(), letters.end());
        EXPECT_EQ(unique.size(), static_cast<qsizetype>(letters.size()));
        // Every button with a caption and every field's label has one.
        EXPECT_GE(letters.size(), 12u);
        for (QAbstractButton* b : {static_cast<QAbstractButton*>(form->b_ok), static_cast<QAbstractButton*>(form->b_close),
                                   static_cast<QAbstractButton*>(form->b_font), static_cast<QAbstractButton*>(form->b_back),
                                   static_cast<QAbstractButton*>(form->b_profiles)})
            EXPECT_TRUE(b->text().contains(QLatin1Char('&'))) << b->text().toStdString();
    }
    ApplyLanguage(Language::Russian);

    // Alt with a label's letter puts the focus in its field.
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QLabel* cutLabel = nullptr;
    for (auto* l : form->findChildren<QLabel*>())
        if (l->buddy() == form->e_bott_cut) cutLabel = l;
    ASSERT_NE(cutLabel, nullptr);
    const QString caption = cutLabel->text();
    const QChar letter = caption[caption.indexOf(QLatin1Char('&')) + 1];
    form->e_caption->setFocus();
    QTest::keyClick(form->e_caption, static_cast<Qt::Key>(letter.toUpper().unicode()), Qt::AltModifier);
    EXPECT_TRUE(form->e_bott_cut->hasFocus() || form->e_bott_cut->isAncestorOf(QApplication::focusWidget()));
}

} // namespace lumira
