// Create from the main window for texts in other encodings: the book holds the cp1251 text, a
// cp1251 text goes in unchanged, the user hears about characters replaced, a broken text is
// refused before anything is written, and the converted copy never outlives the Create.
#include "app/main_window.h"
#include "book/zip_test_util.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "support/encode.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QFile>
#include <QLineEdit>
#include <gtest/gtest.h>
#include <map>

namespace lumira {

namespace fs = std::filesystem;

namespace {

std::map<std::string, std::string> Entries(const fs::path& jar)
{
    std::map<std::string, std::string> entries;
    for (const std::string& name : EntryNames(jar)) entries[name] = EntryContent(jar, name);
    return entries;
}

// Every file below a folder with its bytes.
std::map<std::string, std::string> FolderContent(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        files[fs::relative(e.path(), folder).generic_string()] = e.is_regular_file() ? ReadFileBytes(e.path()) : "<folder>";
    return files;
}

// The record's first four bytes: the text's size, low byte first.
std::uint32_t RecordedSize(const std::string& record)
{
    std::uint32_t size = 0;
    for (int i = 3; i >= 0; --i) size = size << 8 | static_cast<unsigned char>(record[static_cast<size_t>(i)]);
    return size;
}

struct CreateEncodingTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app;
    SystemTempDir systemTemp;  // the system's temporary folder while the test runs
    std::unique_ptr<MainWindow> form;

    void SetUp() override
    {
        MakeZip(app / "velmar.dat", StandardTemplate());
        form = std::make_unique<MainWindow>(app.DirText());
        fs::create_directories(app / "books");
    }
    void TearDown() override { form.reset(); }

    // Create for a text of these bytes read in `encoding`; the package's path.
    fs::path Create(std::string_view bytes, TextEncoding encoding, const std::string& jar)
    {
        app.Write("text.txt", bytes);
        form->e_text->setText(FromFsPath(app / "text.txt"));
        form->e_caption->setText(QStringLiteral("Книга"));
        form->Book.encoding = encoding;
        desktop.saveAnswers.push_back(FromFsPath(app / "books" / jar));
        form->b_okClick();
        return app / "books" / jar;
    }

    bool NoCopyLeft() const { return fs::is_empty(systemTemp.Path()); }
};

} // namespace

TEST_F(CreateEncodingTest, AsciiTextMakesTheSameBookAsUnderCp1251)
{
    std::string text;
    for (int i = 0; text.size() < 40000; ++i) text += "Line " + std::to_string(i) + " of plain text.\r\n";
    const auto automatic = Entries(Create(text, TextEncoding::Auto, "auto.jar"));
    const auto cp1251 = Entries(Create(text, TextEncoding::Cp1251, "cp1251.jar"));
    EXPECT_EQ(automatic, cp1251);
    EXPECT_EQ(automatic.at("text/chunk.0"), text.substr(0, 32767));
    EXPECT_EQ(automatic.at("text/chunk.1"), text.substr(32767));
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_TRUE(NoCopyLeft());
}

TEST_F(CreateEncodingTest, BookHoldsTheCp1251TextInItsPiecesWhateverTheSourceEncoding)
{
    // Piece boundaries of the source fall inside multi-byte characters: 32766 single bytes, then
    // a letter of two bytes in UTF-8 (and every character of UTF-16 is two).
    const QString unicode = QString(32766, QLatin1Char('a')) + QStringLiteral("жёлудь и ель\r\n").repeated(3000);
    const std::string cp1251 = Encode(unicode, "windows-1251");
    ASSERT_EQ(cp1251.size() / 32767, 2u);
    struct Case {
        const char* name;
        std::string bytes;
        TextEncoding encoding;
    };
    const Case cases[] = {
        {"utf-8", Encode(unicode, "UTF-8"), TextEncoding::Auto},
        {"utf-8 with a mark", "\xEF\xBB\xBF" + Encode(unicode, "UTF-8"), TextEncoding::Auto},
        {"utf-16", "\xFF\xFE" + Encode(unicode, "UTF-16LE"), TextEncoding::Auto},
        {"koi8-r", Encode(unicode, "KOI8-R"), TextEncoding::Koi8r},
        {"cp866", Encode(unicode, "IBM866"), TextEncoding::Cp866},
    };
    for (const Case& c : cases) {
        const fs::path jar = Create(c.bytes, c.encoding, "book.jar");
        const auto entries = Entries(jar);
        const std::string& record = entries.at("config");
        EXPECT_EQ(RecordedSize(record), cp1251.size()) << c.name;
        EXPECT_EQ(std::string(form->BookSettingsRecord.begin(), form->BookSettingsRecord.end()), record) << c.name;
        for (size_t i = 0; i * 32767 < cp1251.size(); ++i)
            EXPECT_EQ(entries.at("text/chunk." + std::to_string(i)), cp1251.substr(i * 32767, 32767)) << c.name << " " << i;
        EXPECT_EQ(entries.count("text/chunk.3"), 0u) << c.name;
        EXPECT_TRUE(NoCopyLeft()) << c.name;
    }
    EXPECT_TRUE(desktop.messages.isEmpty()) << desktop.messages.join("\n").toStdString();
}

TEST_F(CreateEncodingTest, CharactersCp1251LacksBecomeQuestionMarksAndTheUserIsTold)
{
    const fs::path jar = Create(Encode(QStringLiteral("Глава 1\r\nΑλφα — 😀\r\n"), "UTF-8"), TextEncoding::Auto, "b.jar");
    // With the dictionary's soft hyphens (the window's default) taken out.
    std::string packed = EntryContent(jar, "text/chunk.0");
    std::erase(packed, '\xAD');
    EXPECT_EQ(packed, Encode(QStringLiteral("Глава 1\r\n???? — ?\r\n"), "windows-1251"));
    ASSERT_EQ(desktop.messages.size(), 1);
    EXPECT_EQ(desktop.messages[0], QStringLiteral("Символов, которых нет в кодировке Windows-1251, заменено на «?»: 5 "
                                                  "(первый — «Α», строка 2, позиция 1)."));
    EXPECT_TRUE(desktop.errors.isEmpty());
    EXPECT_EQ(desktop.busyDepth, 0);
}

TEST_F(CreateEncodingTest, BrokenTextIsRefusedBeforeAnythingIsWritten)
{
    std::string broken = Encode(QStringLiteral("Первая строка\r\n"), "UTF-8");
    const size_t position = broken.size() + 1;
    broken += "\xC0\xAF and more";  // an overlong form of "/"
    const auto record = form->BookSettingsRecord;
    const auto work = FolderContent(app / "temp");
    std::string message;
    try {
        Create(broken, TextEncoding::Utf8, "b.jar");
    } catch (const std::exception& e) {
        message = e.what();
    }
    EXPECT_EQ(message, "Текст не читается как UTF-8: неверная последовательность байтов в позиции " +
                           std::to_string(position) + ".");
    EXPECT_TRUE(fs::is_empty(app / "books"));
    EXPECT_EQ(FolderContent(app / "temp"), work);
    EXPECT_EQ(form->BookSettingsRecord, record);
    EXPECT_TRUE(desktop.messages.isEmpty());
    EXPECT_EQ(desktop.busyDepth, 0);
    EXPECT_TRUE(NoCopyLeft());

    // A build that fails after the conversion removes the copy as well.
    fs::remove(app / "velmar.dat");
    EXPECT_THROW(Create(Encode(QStringLiteral("Текст"), "UTF-8"), TextEncoding::Auto, "c.jar"), std::exception);
    EXPECT_TRUE(fs::is_empty(app / "books"));
    EXPECT_TRUE(NoCopyLeft());
}

} // namespace lumira
