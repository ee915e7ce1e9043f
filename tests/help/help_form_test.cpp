// The help window: its layout, the stored text and the update check against a local server.
#include "help/help_window.h"
#include "help/help_text.h"
#include "help/html_label.h"
#include "help/update_check.h"
#include "loopback_http_server.h"
#include "support/scripted_desktop.h"
#include "support/link_point.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace lumira {

namespace {

const QString kFailed = QStringLiteral("Не удалось выполнить проверку");

struct HelpFormTest : ::testing::Test {
    ScriptedDesktop desktop;
    HelpWindow form{QStringLiteral("1.0.4a"), nullptr};

    HelpFormTest() { form.show(); }

    // Sends the update request of the real address to a local server.
    void PointAt(quint16 port)
    {
        form.http.connectHost = "127.0.0.1";
        form.http.connectPort = port;
    }

    void Press(const QString& target)
    {
        const QPointF at = LinkPoint(*form.help_text, target);
        ASSERT_GE(at.x(), 0) << target.toStdString();
        QMouseEvent press(QEvent::MouseButtonPress, at, form.help_text->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.help_text, &press);
    }

    // Runs the check against a server that plays `answer`; returns what the server received.
    std::vector<std::string> CheckWith(const std::string& answer)
    {
        LoopbackHttpServer server(answer);
        PointAt(server.Port());
        Press(QStringLiteral("get_updates"));
        return server.Requests();
    }

    QString StoredMarkup() const { return StoredHelpText().join(QString()); }
    QString NewerText(const QString& shown) const { return NewVersionText(DownloadAddress(UpdateServer()), shown); }
};

} // namespace

TEST_F(HelpFormTest, WindowLayout)
{
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Справка"));
    EXPECT_EQ(form.minimumSize(), QSize(411, 306));
    EXPECT_EQ(form.size(), QSize(411, 306));
    EXPECT_EQ(form.font().family(), QStringLiteral("Tahoma"));
    EXPECT_TRUE(form.status_bar->currentMessage().isEmpty());
    // It opens on how to make and read a book; the notes about the program are the second page.
    EXPECT_EQ(form.pages->currentWidget(), form.how_to_box);
    EXPECT_EQ(form.how_to->Markup(), HowToText().join(QString()));
    for (const char* part : {"По кабелю", "По Bluetooth", "Правая программная клавиша", "Ночной режим", "Закладки", "Тома"})
        EXPECT_TRUE(form.how_to->ShownText().contains(QString::fromUtf8(part))) << part;
    EXPECT_GT(form.how_to->height(), form.how_to_box->viewport()->height());  // it scrolls
    form.pages->setCurrentWidget(form.scroll_box);
    QApplication::processEvents();  // the page is laid out as it is shown
    EXPECT_LE(form.scroll_box->mapTo(&form, QPoint(0, form.scroll_box->height())).y(), form.status_bar->geometry().top());

    // The label is as wide as the box, as high as its text; the long text scrolls vertically.
    const int boxWidth = form.scroll_box->viewport()->width();
    EXPECT_EQ(form.help_text->width(), boxWidth);
    EXPECT_EQ(form.help_text->height(), form.help_text->heightForWidth(boxWidth));
    EXPECT_EQ(form.help_text->y(), 0);
    EXPECT_GT(form.help_text->height(), form.scroll_box->viewport()->height());
    EXPECT_TRUE(form.scroll_box->verticalScrollBar()->isVisible());
    EXPECT_FALSE(form.scroll_box->horizontalScrollBar()->isVisible());

    // Widening the window widens the label, which then needs fewer lines.
    const int before = form.help_text->height();
    form.resize(800, 306);
    EXPECT_EQ(form.help_text->width(), form.scroll_box->viewport()->width());
    EXPECT_LT(form.help_text->height(), before);
}

TEST_F(HelpFormTest, OpensCentredOverItsOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 600, 500);
    owner.show();
    HelpWindow owned(QStringLiteral("1.0.4a"), &owner);
    owned.show();
    const QPoint offset = owned.frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
}

TEST_F(HelpFormTest, StoredTextShowsEveryNoteAsWritten)
{
    EXPECT_EQ(form.help_text->Markup(), StoredMarkup());
    const QString shown = form.help_text->ShownText();
    const QStringList lines = shown.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("Lumira generator"));
    for (const QString& text : {
             QStringLiteral("Автором программы-генератора и мидлета является команда Lumira"),
             QStringLiteral("С вопросами, пожеланиями и баг-репортами обращаться на e-mail: lumira@example.org"),
             QStringLiteral("В качестве основы мидлета были использованы исходные тексты Lumira www.example.org/lumira"),
             QStringLiteral("Проверить наличие обновлений на сайте (требуется подключение к Интернет)"),
             QStringLiteral("Новости данной версии программы:"),
             QStringLiteral("Исправлена ошибка генератора: не удалялся текст, оставшийся от формирования предыдущей книги."),
             QStringLiteral("Новости версии 1.0.3a"),
             QStringLiteral("Исправлена ошибка нечеткой реакции мидлета на нажатие клавиш"),
             QStringLiteral("Исправлена ошибка в форматировании текста"),
             QStringLiteral("Новости версии 1.0.0a:"),
             QStringLiteral("В мидлете слегка увеличена скорость отрисовки текста"),
             QStringLiteral("В генератор добавлена функция создания/редактирования профилей под любое устройство, "
                            "поддерживающее MIDP-2.0"),
             QStringLiteral("Новости версии 0.9.6:"),
             QStringLiteral("Улучшен алгоритм генерации шрифта, что дает несколько меньший объем файла на выходе"),
             QStringLiteral("Исправлены ошибки алгоритма генерации шрифта."),
             QStringLiteral("Исправлены ошибки с неверным запоминанием путей в окнах открытия файла текста и "
                            "сохранения мидлета."),
             QStringLiteral("Исправлены ошибки в расстановке переносов.")})
        EXPECT_TRUE(lines.contains(text)) << text.toStdString();
    // The notes are list items; the headings are not.
    int items = 0;
    for (QTextBlock b = form.help_text->Document().begin(); b.isValid(); b = b.next())
        if (b.textList()) ++items;
    EXPECT_EQ(items, 9);
}

TEST_F(HelpFormTest, AuthorLinksOpenWithTheDesktopWithoutACheck)
{
    LoopbackHttpServer server(OkAnswer("9.9"));
    PointAt(server.Port());
    Press(QStringLiteral("mailto:lumira@example.org"));
    Press(QStringLiteral("http://www.example.org/lumira/"));
    EXPECT_EQ(desktop.openedUrls, (QStringList{"mailto:lumira@example.org", "http://www.example.org/lumira/"}));
    EXPECT_EQ(desktop.busyCalls, 0);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(form.help_text->Markup(), StoredMarkup());
}

TEST_F(HelpFormTest, OnlyTheExactUpdateTargetStartsACheck)
{
    LoopbackHttpServer server(OkAnswer("9.9"));
    PointAt(server.Port());
    for (const char* other : {"GET_UPDATES", "get_updates ", "get_update", ""})
        form.help_textAnchorClick(form.help_text, other);
    EXPECT_EQ(desktop.busyCalls, 0);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(form.help_text->Markup(), StoredMarkup());
}

TEST_F(HelpFormTest, SendsTheVersionRequestOfTheUpdateHost)
{
    const auto requests = CheckWith(OkAnswer("1.0.4a"));
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], "GET /go/text/velmar/version HTTP/1.1\r\n"
                           "Host: " + UpdateServer::DefaultHost() + "\r\n"
                           "Accept: text/html, */*\r\n"
                           "User-Agent: Velmar\r\n"
                           "\r\n");
    // The hourglass is shown for the request and taken away again.
    EXPECT_EQ(desktop.busyCalls, 2);
    EXPECT_EQ(desktop.busyDepth, 0);
}

TEST_F(HelpFormTest, SameVersionWithALineFeedMeansNoUpdate)
{
    CheckWith(OkAnswer("1.0.4a\n"));
    EXPECT_EQ(form.help_text->Markup(), NoUpdateText());
    EXPECT_EQ(form.help_text->ShownText(), QStringLiteral("Обновлений не обнаружено"));
    EXPECT_TRUE(desktop.messages.isEmpty());
    // One check per opening: the link is gone with the text.
    EXPECT_LT(LinkPoint(*form.help_text, QStringLiteral("get_updates")).x(), 0);
}

TEST_F(HelpFormTest, AnyOtherTextIsANewerVersion)
{
    struct Case {
        std::string answer;
        QString inLink;  // what the markup carries after "Новая версия: "
        QString shown;
    };
    const std::vector<Case> cases = {
        {OkAnswer("1.0.4a\r\n"), "1.0.4a\r", "1.0.4a"},  // the carriage return stays
        {OkAnswer("1.0.4A"), "1.0.4A", "1.0.4A"},         // letter case counts
        {OkAnswer(""), "", ""},
        {OkAnswer("\xC2\xE5\xF0\xF1\xE8\xFF 2"), QStringLiteral("Версия 2"), QStringLiteral("Версия 2")},  // cp1251
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\n1.1\r\n2\r\n.0\r\n0\r\n\r\n", "1.1.0", "1.1.0"},
        {"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n2.0b\n", "2.0b", "2.0b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        form.help_text->SetLines(StoredHelpText());
        CheckWith(c.answer);
        EXPECT_EQ(form.help_text->Markup(), NewerText(c.inLink).remove(QLatin1Char('\r')));
        EXPECT_EQ(form.help_text->ShownText(), QStringLiteral("Новая версия: ") + c.shown);
        EXPECT_TRUE(desktop.messages.isEmpty());
    }
}

TEST_F(HelpFormTest, ReceivedMarkupIsShownAsText)
{
    CheckWith(OkAnswer("<b>2.0</b><a href=\"http://evil.example.org/\">get</a> & 'x'"));
    EXPECT_EQ(form.help_text->ShownText(),
              QStringLiteral("Новая версия: <b>2.0</b><a href=\"http://evil.example.org/\">get</a> & 'x'"));
    // The only link is the download link; nothing in the answer became bold or a link.
    Press(DownloadAddress(UpdateServer()));
    EXPECT_LT(LinkPoint(*form.help_text, QStringLiteral("http://evil.example.org/")).x(), 0);
    for (QTextBlock b = form.help_text->Document().begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) EXPECT_NE(it.fragment().charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(desktop.openedUrls, QStringList{DownloadAddress(UpdateServer())});
}

TEST_F(HelpFormTest, FailedCheckLeavesTheTextAndCanBeRepeated)
{
    struct Case {
        const char* what;
        std::function<void(HelpWindow&)> setUp;
    };
    std::vector<std::unique_ptr<LoopbackHttpServer>> servers;
    auto serve = [&servers](std::string answer, LoopbackHttpServer::Mode mode = LoopbackHttpServer::Mode::Answer) {
        servers.push_back(std::make_unique<LoopbackHttpServer>(std::move(answer), mode));
        const quint16 port = servers.back()->Port();
        return [port](HelpWindow& f) {
            f.http.connectHost = "127.0.0.1";
            f.http.connectPort = port;
        };
    };
    const std::vector<Case> cases = {
        {"404", serve("HTTP/1.1 404 Not Found\r\nContent-Length: 6\r\n\r\n1.0.4a")},
        {"302", serve("HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:1/elsewhere\r\nContent-Length: 0\r\n\r\n")},
        {"refused", [refusing = std::make_shared<RefusingLoopbackPort>()](HelpWindow& f) {
             f.http.connectHost = "127.0.0.1";
             f.http.connectPort = refusing->Port();
         }},
        {"unknown host", [](HelpWindow& f) { f.updateServer.host = "no-such-host.invalid"; }},
        {"no answer", [&serve](HelpWindow& f) {
             serve("", LoopbackHttpServer::Mode::Silent)(f);
             f.http.totalTimeout = std::chrono::milliseconds(300);
         }},
        {"too long", serve(OkAnswer(std::string(64 * 1024 + 1, 'x')))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HelpWindow fresh(QStringLiteral("1.0.4a"), nullptr);
        fresh.show();
        c.setUp(fresh);
        desktop.messages.clear();
        desktop.busyCalls = 0;
        fresh.help_textAnchorClick(fresh.help_text, QStringLiteral("get_updates"));
        EXPECT_EQ(desktop.messages, QStringList{kFailed});
        EXPECT_TRUE(desktop.errors.isEmpty());
        EXPECT_EQ(desktop.busyDepth, 0);
        EXPECT_EQ(desktop.busyCalls, 2);
        EXPECT_EQ(fresh.help_text->Markup(), StoredMarkup());
        EXPECT_GE(LinkPoint(*fresh.help_text, QStringLiteral("get_updates")).x(), 0);  // can be clicked again
        EXPECT_TRUE(fresh.isVisible());
    }
    // The redirect was not followed: its server saw one request and nobody else was asked.
    EXPECT_EQ(servers[1]->Requests().size(), 1u);
    // The silent server was left by the client's time limit.
    EXPECT_TRUE(servers.back()->ClientGaveUp());
}

} // namespace lumira
