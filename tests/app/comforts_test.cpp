// What a person expects of the window between starts: the texts opened last, on the browse
// button's menu and opened again at start; the colour chooser at the current colour; a large
// font's sample whole.
#include "app/main_window.h"
#include "platform/paths.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <gtest/gtest.h>

namespace lumira {

namespace {

struct ComfortsTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    TempDir texts;

    std::unique_ptr<MainWindow> Start() { return std::make_unique<MainWindow>(app.DirText()); }
    QString Text(const std::string& name, std::string_view bytes)
    {
        texts.Write(name, bytes);
        return FromFsPath(texts / name);
    }
    static QStringList MenuTexts(MainWindow& form)
    {
        form.FillRecentMenu();
        QStringList shown;
        for (QAction* a : form.e_text_button->menu()->actions())
            if (!a->isSeparator()) shown << a->text();
        return shown;
    }
};

} // namespace

TEST_F(ComfortsTest, RecentTextsAreKeptAcrossStartsAndTheLastOpensAgain)
{
    const QString first = Text("first.txt", "Первый текст\r\n");
    const QString second = Text("second.txt", "\xD0\x92\xD1\x82\xD0\xBE\xD1\x80\xD0\xBE\xD0\xB9\r\n");  // UTF-8
    {
        auto form = Start();
        EXPECT_EQ(MenuTexts(*form), QStringList{QStringLiteral("Недавних текстов нет")});
        form->OpenAtStart(std::nullopt);  // nothing remembered: nothing opens
        EXPECT_TRUE(form->e_text->text().isEmpty());
        form->OpenGivenFile(first);
        form->OpenGivenFile(second);
        form->e_text_encodingChoose(TextEncoding::Utf8);  // re-read in another encoding
        form->e_caption->setText(QStringLiteral("Мой заголовок"));  // typed after choosing
        form->FormClose();
    }
    {
        auto form = Start();
        ASSERT_EQ(form->Book.recent.Entries().size(), 2u);
        EXPECT_EQ(MenuTexts(*form), (QStringList{QStringLiteral("&1  Мой заголовок — second.txt (UTF-8)"),
                                                 QStringLiteral("&2  first.txt (Авто)"), QStringLiteral("Очистить список")}));
        form->OpenAtStart(std::nullopt);
        EXPECT_EQ(form->e_text->text(), second);
        EXPECT_EQ(form->e_caption->text(), QStringLiteral("Мой заголовок"));
        EXPECT_EQ(form->Book.encoding, TextEncoding::Utf8);
        EXPECT_EQ(form->PreviewText.front(), "\xC2\xF2\xEE\xF0\xEE\xE9");  // "Второй" in cp1251

        // Chosen from the menu: the older text, in the encoding it was read in then.
        form->e_text_button->menu()->actions()[1]->trigger();
        EXPECT_EQ(form->e_text->text(), first);
        EXPECT_EQ(form->Book.encoding, TextEncoding::Auto);
        EXPECT_EQ(form->Book.recent.Entries().front().path, first);

        // A text that has gone since: a message, and it leaves the list.
        std::filesystem::remove(texts / "second.txt");
        form->OpenRecentText(form->Book.recent.Entries()[1]);
        EXPECT_EQ(desktop.messages.size(), 1);
        EXPECT_TRUE(desktop.messages.back().contains(second));
        EXPECT_EQ(form->Book.recent.Entries().size(), 1u);
        EXPECT_EQ(form->e_text->text(), first);
        form->FormClose();
    }
    // The last text gone before a start: the window opens without it, and says nothing; a file
    // named at start that is not there is told about.
    std::filesystem::remove(texts / "first.txt");
    auto form = Start();
    form->OpenAtStart(std::nullopt);
    EXPECT_TRUE(form->e_text->text().isEmpty());
    EXPECT_EQ(desktop.messages.size(), 1);
    form->OpenAtStart(first);
    ASSERT_EQ(desktop.messages.size(), 2);
    EXPECT_EQ(desktop.messages.back(), QStringLiteral("Не удаётся открыть файл «%1»: нет такого файла или папки").arg(first));
    // A folder named at start is told as a folder, not as missing.
    form->OpenAtStart(FromFsPath(texts.Path()));
    ASSERT_EQ(desktop.messages.size(), 3);
    EXPECT_EQ(desktop.messages.back(), QStringLiteral("Не удаётся открыть файл «%1»: это папка").arg(FromFsPath(texts.Path())));
    EXPECT_TRUE(form->e_text->text().isEmpty());
    EXPECT_TRUE(desktop.errors.isEmpty());
}

TEST_F(ComfortsTest, TheColourChooserOpensAtTheCurrentBackground)
{
    app.Write("config.ini", "[Global]\r\nBackground=255\r\n");
    auto form = Start();
    desktop.colorAnswers = {std::nullopt, 0x00FF00};
    form->b_backClick();
    form->b_backClick();
    form->b_backClick();
    EXPECT_EQ(desktop.colorRequests, (std::vector<ColorValue>{255, 255, 0x00FF00}));
}

TEST_F(ComfortsTest, TheFontSampleShowsEverySizeWhole)
{
    auto form = Start();
    for (int size : {8, 24, 36, 72}) {
        form->Book.font.size = size;
        form->UpdateFontLabel();
        const QLabel& label = *form->font_label;
        const QRect needed = QFontMetrics(label.font()).boundingRect(label.contentsRect(), Qt::AlignCenter | Qt::TextWordWrap,
                                                                     label.text());
        EXPECT_LE(needed.height(), label.contentsRect().height()) << size;
        EXPECT_LE(needed.width(), label.contentsRect().width()) << size;
        EXPECT_EQ(label.text(), QStringLiteral(" Tahoma, %1").arg(size));
    }
    // A small size is shown at its own size.
    form->Book.font.size = 8;
    form->UpdateFontLabel();
    EXPECT_EQ(form->font_label->font().pixelSize(), 11);
}

} // namespace lumira
