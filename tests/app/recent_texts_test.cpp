// The recent-texts list as config.ini keeps it, and the hand-over between two starts.
#include "app/instance_channel.h"
#include "platform/ini_file.h"
#include "settings/recent_texts.h"
#include "support/temp_dir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <ctime>
#include <unistd.h>

namespace lumira {

namespace {

RecentTexts ListOf(const std::vector<RecentText>& newestFirst)
{
    RecentTexts list;
    for (auto it = newestFirst.rbegin(); it != newestFirst.rend(); ++it) list.Add(*it);
    return list;
}

// The socket file a channel for `folder` listens at.
QString ChannelPath(const QString& folder)
{
    const QString name = InstanceChannel::ServerName(folder);
    return QDir::isAbsolutePath(name) ? name : QDir::temp().filePath(name);
}

// Connects `fd` to the channel at `path` as any program could, sends `bytes` and returns what
// comes back before the other side closes (nothing when it cannot connect).
std::string Exchange(int fd, const QByteArray& path, const std::string& bytes, bool waitForAnswer)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), static_cast<size_t>(path.size()));
    std::string answer;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char c = 0;
        while (waitForAnswer && ::recv(fd, &c, 1, 0) == 1) answer.push_back(c);
    }
    return answer;
}

std::string Exchange(const QString& path, const std::string& bytes, bool waitForAnswer)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    std::string answer = Exchange(fd, QFile::encodeName(path), bytes, waitForAnswer);
    ::close(fd);
    return answer;
}

// The running copy's side: the files handed to it, noted as they come, each ending the loop it
// waits in.
struct ListeningCopy {
    explicit ListeningCopy(const QString& folder)
        : channel(folder, [this](const QString& file) {
              received << file;
              loop.quit();
          })
    {
    }
    QStringList received;
    QEventLoop loop;
    InstanceChannel channel;
};

} // namespace

TEST(RecentTexts, EveryTextComesBackAsWrittenAndTheOtherSectionsKeepTheirBytes)
{
    TempDir dir;
    const std::string settings = "[Global]\r\nUpperCut=0\r\nOpenDir=C:\\Книги\\\r\n\r\n[Font]\r\nName=Tahoma\r\n";
    dir.Write("config.ini", settings);
    IniFile config(dir / "config.ini");
    // Texts cp1251 holds, texts it lacks, blanks and quotes at the ends, a line break, the
    // marker itself, an empty title.
    const std::vector<RecentText> texts = {
        {QStringLiteral("/home/u/Книги/Война и мир.txt"), QStringLiteral("Война и мир"), TextEncoding::Cp1251},
        {QStringLiteral("/home/u/書/红楼梦.fb2"), QStringLiteral("红楼梦 😀"), TextEncoding::Utf8},
        {QStringLiteral("/tmp/ trailing blank "), QStringLiteral("\"quoted\""), TextEncoding::Koi8r},
        {QStringLiteral("/tmp/line\nbreak.txt"), QStringLiteral("'a' & b"), TextEncoding::Cp866},
        {QStringLiteral("utf-8:/not/a/mark"), QString(), TextEncoding::Utf16},
        {QStringLiteral("/tmp/100%25 a+b.txt"), QStringLiteral(" x "), TextEncoding::Auto},
    };
    ListOf(texts).Write(config);
    EXPECT_EQ(RecentTexts::Read(config.Snapshot()).Entries(), texts);
    const std::string written = dir.Read("config.ini");
    EXPECT_EQ(written.substr(0, settings.size()), settings);
    EXPECT_EQ(written.substr(settings.size(), 10), "\r\n[Recent]");

    // Written again, shorter: the section is replaced where it stands; an empty list removes it.
    ListOf({texts[0]}).Write(config);
    EXPECT_EQ(RecentTexts::Read(config.Snapshot()).Entries(), std::vector<RecentText>{texts[0]});
    RecentTexts().Write(config);
    EXPECT_EQ(dir.Read("config.ini"), settings + "\r\n");
}

TEST(RecentTexts, TheNewestFirstWithoutRepeatsAndNoMoreThanTen)
{
    RecentTexts list;
    for (int i = 0; i < 12; ++i) list.Add({QStringLiteral("/t/%1.txt").arg(i), QString::number(i), TextEncoding::Auto});
    list.Add({QStringLiteral("/t/./5.txt"), QStringLiteral("again"), TextEncoding::Utf8});
    ASSERT_EQ(list.Entries().size(), 10u);
    EXPECT_EQ(list.Entries()[0].title, QStringLiteral("again"));
    EXPECT_EQ(list.Entries()[1].path, QStringLiteral("/t/11.txt"));
    EXPECT_EQ(list.Entries()[9].path, QStringLiteral("/t/2.txt"));  // 0 and 1 dropped, 5 moved up

    // What a hand-edited file may hold: gaps, repeats, an unknown encoding, keys past ten.
    const IniView file("[recent]\r\nFile2=/a\r\nEncoding2=ebcdic\r\nFile3=/b\r\nTitle3=B\r\nFile4=/a\r\n"
                       "File11=/c\r\n");
    const RecentTexts read = RecentTexts::Read(file);
    EXPECT_EQ(read.Entries(), (std::vector<RecentText>{{"/a", "", TextEncoding::Auto}, {"/b", "B", TextEncoding::Auto}}));
}

TEST(InstanceChannel, ASecondStartHandsItsFileToTheCopyOfItsFolderOnly)
{
    TempDir first, other;
    QStringList received;
    QEventLoop loop;
    const InstanceChannel channel(first.DirText(), [&](const QString& file) {
        received << file;
        loop.quit();
    });
    ASSERT_TRUE(channel.Listening());
    // The second start waits for the answer, which the running copy's event loop gives.
    const auto handOver = [&](const QString& folder, const QString& file) {
        bool taken = false;
        std::thread second([&] {
            taken = InstanceChannel::HandOver(folder, file, 3000);
            if (!taken) QMetaObject::invokeMethod(&loop, [&] { loop.quit(); }, Qt::QueuedConnection);
        });
        QTimer::singleShot(4000, &loop, &QEventLoop::quit);
        loop.exec();
        second.join();
        return taken;
    };
    EXPECT_TRUE(handOver(first.DirText(), QStringLiteral("/книги/a b.txt")));
    EXPECT_TRUE(handOver(first.DirText(), QString()));  // no file: the window only comes forward
    EXPECT_FALSE(handOver(other.DirText(), QStringLiteral("/x.txt")));
    EXPECT_EQ(received, (QStringList{QStringLiteral("/книги/a b.txt"), QString()}));

    // What a copy that ended without cleaning up left under the name is taken over by the next one.
    const QString name = InstanceChannel::ServerName(other.DirText());
    const QString left = QDir::isAbsolutePath(name) ? name : QDir::temp().filePath(name);
    QFile leftover(left);
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    const InstanceChannel next(other.DirText(), {});
    EXPECT_TRUE(next.Listening());
}

TEST(InstanceChannel, TheFileOfTheCommandLine)
{
    const QString cwd = QStringLiteral("/home/u/docs");
    const auto file = [&](QStringList args) { return FileToOpen(QStringList{QStringLiteral("lumira")} + args, cwd); };
    EXPECT_EQ(file({}), std::nullopt);
    EXPECT_EQ(file({QStringLiteral("book.fb2")}), QStringLiteral("/home/u/docs/book.fb2"));
    EXPECT_EQ(file({QStringLiteral("-x"), QStringLiteral("../b.txt"), QStringLiteral("c.txt")}), QStringLiteral("/home/u/b.txt"));
    EXPECT_EQ(file({QStringLiteral("--"), QStringLiteral("-dash.txt")}), QStringLiteral("/home/u/docs/-dash.txt"));
    EXPECT_EQ(file({QStringLiteral("file:///tmp/%D0%B0.txt")}), QStringLiteral("/tmp/а.txt"));
}

TEST(InstanceChannel, OnlyAWholeRequestIsTakenFromTheUserAloneAndTheSocketEndsWithTheChannel)
{
    TempDir folder;
    const QString path = ChannelPath(folder.DirText());
    {
        ListeningCopy copy(folder.DirText());
        ASSERT_TRUE(copy.channel.Listening());
        EXPECT_EQ(QFileInfo(path).permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                                                    QFile::WriteUser | QFile::ExeUser),
                  QFile::Permissions());
        // Another program's line, a request that never ends and one that stops halfway are closed
        // without an answer and hand nothing over; the copy still answers the next start.
        std::string stranger, endless;
        bool taken = false;
        std::thread others([&] {
            stranger = Exchange(path, "hello\n", true);
            endless = Exchange(path, "lumira-open:/" + std::string(70 * 1024, 'x'), true);
            Exchange(path, "lumira-open:/half", false);
            taken = InstanceChannel::HandOver(folder.DirText(), QStringLiteral("/a.txt"), 3000);
        });
        QTimer::singleShot(5000, &copy.loop, &QEventLoop::quit);
        copy.loop.exec();
        others.join();
        EXPECT_EQ(stranger, "");
        EXPECT_EQ(endless, "");
        EXPECT_TRUE(taken);
        EXPECT_EQ(copy.received, QStringList{QStringLiteral("/a.txt")});
    }
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(InstanceChannel::HandOver(folder.DirText(), QString(), 500));
}

TEST(InstanceChannel, ACopyOutOfDescriptorsTakesTheRequestOnceItHasOneWithoutSpinning)
{
    TempDir folder;
    ListeningCopy copy(folder.DirText());
    ASSERT_TRUE(copy.channel.Listening());
    const int client = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(client, 0);
    const QByteArray path = QFile::encodeName(ChannelPath(folder.DirText()));
    // From here no descriptor can be made: the copy cannot accept the connection for a while.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit usual = limit;
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    limit.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    std::string answer;
    std::thread second([&] { answer = Exchange(client, path, "lumira-open:/b.txt\n", true); });
    timespec before{}, after{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &before);
    QTimer::singleShot(400, &copy.loop, [&] { ::setrlimit(RLIMIT_NOFILE, &usual); });
    QTimer::singleShot(5000, &copy.loop, &QEventLoop::quit);
    copy.loop.exec();
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &after);
    ::setrlimit(RLIMIT_NOFILE, &usual);
    second.join();
    ::close(client);
    EXPECT_EQ(copy.received, QStringList{QStringLiteral("/b.txt")});
    EXPECT_EQ(answer, "taken\n");
    const double cpuMs = (after.tv_sec - before.tv_sec) * 1e3 + (after.tv_nsec - before.tv_nsec) / 1e6;
    EXPECT_LT(cpuMs, 150.0);  // waiting, not trying again and again
}

} // namespace lumira
