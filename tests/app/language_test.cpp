// The interface in English and in Russian: every text the main window, the profile editor and
// the help window show is translated in English, none is cut off by its control, and the Russian
// texts stay exactly as they are; the language comes from config.ini or the system.
#include "app/create_panel.h"
#include "app/main_window.h"
#include "book/book_builder.h"
#include "settings/settings_file.h"
#include "help/help_window.h"
#include "help/help_text.h"
#include "help/html_label.h"
#include "platform/ini_file.h"
#include "platform/language.h"
#include "platform/line_list.h"
#include "profiles/profile_editor.h"
#include "sample_books.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTableWidget>
#include <QToolButton>
#include <gtest/gtest.h>

namespace lumira {

namespace {

bool HasCyrillic(const QString& s)
{
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return s.contains(cyrillic);
}

// A text a window shows, with the control that shows it.
struct Shown {
    QString text;
    QWidget* widget;
};

// A caption as shown: the mark of its access letter is not drawn ("&&" is a shown "&").
QString WithoutAccessMark(const QString& caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

// Every text of a window: titles, captions, list entries, tips, menu entries, the markup label's
// text. What the user typed or chose (fields' contents, profile names) is data, not interface.
std::vector<Shown> ShownTexts(QWidget* window)
{
    std::vector<Shown> out;
    auto add = [&](const QString& text, QWidget* w) {
        if (!text.isEmpty()) out.push_back({text, w});
    };
    add(window->windowTitle(), window);
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        add(w->toolTip(), w);
        if (auto* l = qobject_cast<QLabel*>(w)) add(l->buddy() ? WithoutAccessMark(l->text()) : l->text(), w);
        if (auto* b = qobject_cast<QAbstractButton*>(w)) add(WithoutAccessMark(b->text()), w);
        if (auto* e = qobject_cast<QLineEdit*>(w)) add(e->placeholderText(), w);
        if (auto* h = qobject_cast<HtmlLabel*>(w)) add(h->ShownText(), w);
        if (auto* c = qobject_cast<QComboBox*>(w); c && w->objectName() != QLatin1String("e_model"))
            for (int i = 0; i < c->count(); ++i) add(c->itemText(i), w);
        if (auto* m = qobject_cast<QMenu*>(w))
            for (QAction* a : m->actions()) add(a->text(), w);
        if (auto* t = qobject_cast<QTableWidget*>(w))
            for (int i = 0; i < t->columnCount(); ++i)
                if (auto* h = t->horizontalHeaderItem(i)) add(h->text(), w);
    }
    return out;
}

QStringList Texts(const std::vector<Shown>& shown)
{
    QStringList texts;
    for (const Shown& s : shown) texts << s.text;
    return texts;
}

// A caption that does not fit its control, described; empty when every caption fits.
QStringList CutOff(const std::vector<Shown>& shown)
{
    QStringList problems;
    for (const Shown& s : shown) {
        QWidget* w = s.widget;
        if (!w->isVisibleTo(w->window()) || w->width() <= 0) continue;
        const QFontMetrics metrics(w->font());
        int room = w->contentsRect().width();
        int needed = metrics.horizontalAdvance(s.text);
        if (auto* l = qobject_cast<QLabel*>(w)) {
            if (!l->pixmap().isNull() || l->textFormat() == Qt::RichText) continue;
            if (l->wordWrap()) {
                if (l->heightForWidth(room) > l->contentsRect().height())
                    problems << QStringLiteral("%1: wraps past its height").arg(s.text);
                continue;
            }
        } else if (qobject_cast<QAbstractButton*>(w) && s.text == WithoutAccessMark(static_cast<QAbstractButton*>(w)->text())) {
            needed += 6;  // the button's frame
        } else if (qobject_cast<QComboBox*>(w)) {
            needed += 20;  // the drop-down arrow
        } else {
            continue;
        }
        if (needed > room) problems << QStringLiteral("%1: %2 > %3 pixels").arg(s.text).arg(needed).arg(room);
    }
    return problems;
}

struct LanguageTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app;
    void TearDown() override { ApplyLanguage(Language::Russian); }

    // The texts of the three windows, each built fresh in the language in use; the encoding menu,
    // a chosen book in ZIP, Create's progress, Cancel and saved-book line, and a selected profile
    // included.
    std::vector<Shown> AllShown(std::vector<std::unique_ptr<QWidget>>& keep)
    {
        auto form = std::make_unique<MainWindow>(app.DirText());
        WriteFb2Zip(app / "book.fb2.zip");
        form->ChooseTextFile(QString::fromStdString((app / "book.fb2.zip").string()));
        CreatePanel* panel = &form->TheCreatePanel();
        panel->Start();
        panel->ShowSaved(QString::fromStdString((app / "book.jar").string()));
        auto editor = std::make_unique<ProfileEditor>(app.DirText());
        if (editor->findChild<QTableWidget*>()->rowCount() > 0) editor->findChild<QTableWidget*>()->selectRow(0);
        auto help = std::make_unique<HelpWindow>(form->version->text(), nullptr);
        std::vector<Shown> shown;
        for (QWidget* w : {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(editor.get()), static_cast<QWidget*>(help.get())}) {
            w->show();
            const auto s = ShownTexts(w);
            shown.insert(shown.end(), s.begin(), s.end());
        }
        keep.push_back(std::move(form));
        keep.push_back(std::move(editor));
        keep.push_back(std::move(help));
        return shown;
    }
};

} // namespace

TEST_F(LanguageTest, EnglishLeavesNoRussianAndCutsOffNoCaption)
{
    ApplyLanguage(Language::English);
    std::vector<std::unique_ptr<QWidget>> windows;
    const auto shown = AllShown(windows);
    for (const Shown& s : shown) EXPECT_FALSE(HasCyrillic(s.text)) << s.text.toStdString();
    const QStringList texts = Texts(shown);
    for (const char* caption : {"Create", "Close", "Profiles", "Font", "Background", "Preview", "At the bottom",
                                "Save", "Delete", "Left soft key", "Forward one screen", "Help"})
        EXPECT_TRUE(texts.contains(QString::fromUtf8(caption))) << caption;
    EXPECT_EQ(CutOff(shown), QStringList());
    // The help text as a whole, the update check's answers and the file dialogs' filters too.
    EXPECT_FALSE(HasCyrillic(StoredHelpText().join(QString())));
    auto* form = static_cast<MainWindow*>(windows.front().get());
    EXPECT_EQ(MainWindow(app.DirText()).PreviewText, ReadLineList(app / "sample.en"));  // the preview's sample in English too
    EXPECT_FALSE(HasCyrillic(form->OpenDialog1.filter));
    EXPECT_FALSE(HasCyrillic(form->SaveDialog1.filter));
    // The saved-book line is markup: its whole width, link included, fits the line.
    const auto* status = form->findChild<QLabel*>(QStringLiteral("createStatus"));
    ASSERT_NE(status, nullptr);
    EXPECT_LE(status->sizeHint().width(), status->width()) << status->text().toStdString();
    EXPECT_FALSE(HasCyrillic(QString::fromUtf8(BookCancelled().what())));
}

TEST_F(LanguageTest, RussianStaysAsItWasAfterEnglish)
{
    std::vector<std::unique_ptr<QWidget>> windows;
    const QStringList russian = Texts(AllShown(windows));
    for (const char* caption : {"Создать", "Закрыть", "Профили", "Шрифт", "Фон", "Подрезка сверху", "Подрезка снизу",
                                "Вверху", "Внизу", "Генератор мидлетов Lumira для устройств с поддержкой MIDP-2.0",
                                "Отображать системную полосу", "Предпросмотр", "Сохранить", "Удалить", "Справка",
                                "Настройка профилей телефонных аппаратов", "Назад на одну строку", "Авто", "Отмена",
                                "Остановить создание книги", "Предыдущая страница (PageUp)"})
        EXPECT_TRUE(russian.contains(QString::fromUtf8(caption))) << caption;
    const QStringList help = StoredHelpText();

    ApplyLanguage(Language::English);
    {
        std::vector<std::unique_ptr<QWidget>> english;
        EXPECT_NE(Texts(AllShown(english)), russian);
    }
    ApplyLanguage(Language::Russian);
    std::vector<std::unique_ptr<QWidget>> again;
    EXPECT_EQ(Texts(AllShown(again)), russian);
    EXPECT_EQ(StoredHelpText(), help);
}

TEST_F(LanguageTest, ConfigKeyOutweighsTheSystemAndSurvivesAClose)
{
    struct Case {
        const char* stored;
        const char* locale;
        Language expected;
    };
    const Case cases[] = {
        {nullptr, "", Language::Russian},          {nullptr, "C", Language::Russian},
        {nullptr, "POSIX", Language::Russian},     {nullptr, "C.UTF-8", Language::Russian},
        {nullptr, "ru_RU.UTF-8", Language::Russian}, {nullptr, "ru", Language::Russian},
        {nullptr, "en_US.UTF-8", Language::English}, {nullptr, "de_DE", Language::English},
        {nullptr, "rue_UA", Language::English},    {"en", "ru_RU.UTF-8", Language::English},
        {" EN ", "C", Language::English},          {"ru", "en_GB", Language::Russian},
        {"fr", "ru_RU", Language::Russian},        {"", "en_GB", Language::English},
    };
    for (const Case& c : cases) {
        const std::optional<Language> stored = c.stored ? LanguageFromKey(c.stored) : std::nullopt;
        const Language system = DefaultLanguage(c.locale);
        EXPECT_EQ(stored ? *stored : system, c.expected) << (c.stored ? c.stored : "-") << " / " << c.locale;
    }
    EXPECT_EQ(ChooseLanguage(Language::Russian, Language::English), Language::Russian);

    // The window does not write the key: a close keeps what the user set.
    app.Write("config.ini", "[Global]\r\nLanguage=en\r\n");
    EXPECT_EQ(ReadStoredLanguage(IniFile(app / "config.ini")), Language::English);
    {
        MainWindow form(app.DirText());
        form.FormClose();
    }
    EXPECT_EQ(ReadStoredLanguage(IniFile(app / "config.ini")), Language::English);
}

TEST(FormatText, ReplacesEachPlaceholderOnce)
{
    EXPECT_EQ(FormatText("%2 then %1, %3 left", {"a%2", "b"}), "b then a%2, %3 left");
}

} // namespace lumira
