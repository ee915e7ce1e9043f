// The model of the book being made as config.ini keeps it: every value written comes back as it
// was, the file's layout stays the one earlier versions wrote, and what the file cannot hold is
// kept as nearly as it can.
#include "platform/cp1251.h"
#include "platform/ini_file.h"
#include "settings/book_model.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

struct BookModelTest : ::testing::Test {
    TempDir dir;
    IniFile config{dir / "config.ini"};

    BookModel RoundTrip(const BookModel& model)
    {
        WriteBookModel(config, model);
        return ModelFromStored(ReadStoredSettings(config, QStringLiteral("/program/")));
    }
};

} // namespace

TEST_F(BookModelTest, EveryStoredValueComesBack)
{
    for (int i = 0; i < 6; ++i) {
        BookModel m;
        m.font.name = i % 2 ? QStringLiteral("DejaVu Serif") : QStringLiteral("Шрифт");
        m.font.size = 6 + i * 7;
        m.font.bold = i & 1;
        m.font.italic = i & 2;
        m.font.underline = i & 4;
        m.font.color = 0x123456 * i;
        m.background = 0xFFFFFF - i;
        m.upperCut = i;
        m.bottCut = 5 - i;
        m.profile = i - 1;
        m.band = BandAt(i % 3 - 1);
        m.dictionaryHyphens = i % 2;
        m.encoding = i % 2 ? TextEncoding::Koi8r : TextEncoding::Auto;
        m.openDir = QStringLiteral("/texts/Весна/");
        m.saveDir = QStringLiteral("/books/%1/").arg(i);
        m.recent.Add({QStringLiteral("/texts/old.txt"), QStringLiteral("Old"), TextEncoding::Cp866});
        const BookModel back = RoundTrip(m);
        EXPECT_EQ(back.font, m.font) << i;
        EXPECT_EQ(back.background, m.background);
        EXPECT_EQ(back.upperCut, m.upperCut);
        EXPECT_EQ(back.bottCut, m.bottCut);
        EXPECT_EQ(back.profile, m.profile);
        EXPECT_EQ(back.band, m.band);
        EXPECT_EQ(back.dictionaryHyphens, m.dictionaryHyphens);
        EXPECT_EQ(back.encoding, m.encoding);
        EXPECT_EQ(back.openDir, m.openDir);
        EXPECT_EQ(back.saveDir, m.saveDir);
        EXPECT_EQ(back.recent.Entries(), m.recent.Entries());
        // What only a run has: no text, the first page.
        EXPECT_TRUE(back.text.isEmpty());
        EXPECT_EQ(back.pageStart, 1);
    }
}

TEST_F(BookModelTest, TheFileKeepsItsLayoutAndTheTextInHandGoesFirstOnTheRecentList)
{
    BookModel m;
    m.band = BandPosition::Top;
    m.openDir = QStringLiteral("/t/");
    m.saveDir = QStringLiteral("/s/");
    m.recent.Add({QStringLiteral("/t/a.txt"), QStringLiteral("A"), TextEncoding::Auto});
    m.text = QStringLiteral("/t/a.txt");
    m.title = QStringLiteral("Новое");
    m.encoding = TextEncoding::Utf8;
    WriteBookModel(config, m);
    const std::string expected =
        "[Global]\r\nUpperCut=0\r\nBottCut=0\r\nBackground=16777215\r\nModel=1\r\nSysline=0\r\nOpenDir=/t/\r\n"
        "SaveDir=/s/\r\nEncoding=utf-8\r\nHyphenation=dictionary\r\n\r\n"
        "[Font]\r\nName=Tahoma\r\nSize=8\r\nBold=0\r\nItalic=0\r\nUnderline=0\r\nColor=0\r\n\r\n"
        "[Recent]\r\nFile1=/t/a.txt\r\nTitle1=" + QStringToCp1251(QStringLiteral("Новое")) + "\r\nEncoding1=utf-8\r\n";
    EXPECT_EQ(dir.Read("config.ini"), expected);
}

TEST_F(BookModelTest, BandPositionsAndFoldersTheFileCannotHold)
{
    EXPECT_EQ(BandAt(0), BandPosition::Top);
    EXPECT_EQ(BandAt(1), BandPosition::Bottom);
    for (const int other : {-1, 2, 7, -100}) EXPECT_EQ(BandAt(other), BandPosition::None) << other;
    for (const BandPosition band : {BandPosition::Top, BandPosition::Bottom, BandPosition::None})
        EXPECT_EQ(BandAt(BandIndex(band)), band);

    // A folder with letters cp1251 lacks is kept as its nearest parent that fits.
    EXPECT_EQ(StorableFolder(QStringLiteral("/books/日本/")), QStringLiteral("/books/"));
    EXPECT_EQ(StorableFolder(QStringLiteral("/книги/")), QStringLiteral("/книги/"));
    BookModel m;
    m.openDir = QStringLiteral("/a/b/中文/c/");
    EXPECT_EQ(RoundTrip(m).openDir, QStringLiteral("/a/b/"));
}

} // namespace lumira
