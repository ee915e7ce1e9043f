// What a text's content does to its book, end to end through lumira-cli: zero bytes left out and
// counted, files that are no texts refused, characters cp1251 lacks kept in their closest form,
// the title's own letters in the manifest, and the volumes named when a book is split.
#include "cli_fixture.h"

#include "book/zip_test_util.h"
#include "support/encode.h"
#include "support/text_checks.h"

#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

std::string Prose(int paragraphs)
{
    std::string utf8;
    for (int i = 0; i < paragraphs; ++i)
        utf8 += "   Абзац " + std::to_string(i) + ": съешь же ещё этих мягких французских булок, да выпей чаю.\r\n";
    return utf8;
}

} // namespace

TEST(CliTextContent, ZeroBytesAreLeftOutOfTheBookAndCounted)
{
    CliFolder f;
    const std::string text = Cp(Prose(400).c_str());
    std::string damaged = text;
    damaged.insert(text.size() / 2, 1, '\0');
    damaged.insert(100, 2, '\0');
    f.work.Write("zero.txt", damaged);
    for (const char* encoding : {"auto", "cp1251"}) {
        SCOPED_TRACE(encoding);
        const CliRun run = f.Run({f.Arg("zero.txt"), QStringLiteral("--encoding"), QString::fromLatin1(encoding)});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(BookTextOf(f.work / "zero.jar"), text);  // every word, in the preview's reading
        EXPECT_TRUE(Contains(run.err, "В тексте нулевых байтов: 3.")) << run.err;
    }
    // The preview's reading, page by page, is the same text.
    const CliRun pages = f.Run({f.Arg("zero.txt"), QStringLiteral("--dump-pages")});
    ASSERT_EQ(pages.exitCode, 0) << pages.err;
    EXPECT_TRUE(Contains(pages.out, "выпей")) << pages.out.substr(0, 200);
    EXPECT_TRUE(Contains(pages.out, "Абзац 399")) << "the text goes on past the zero bytes";
}

TEST(CliTextContent, FilesThatAreNoTextsAreRefusedAndRealTextsAreNot)
{
    CliFolder f;
    std::string pdb(78, '\0');
    pdb.replace(0, 9, "Some book");
    pdb.replace(60, 8, "BOOKMOBI");
    pdb += "\x01\x02 compressed text \x03\x04 words words words words";
    std::string noise;
    for (unsigned i = 0, x = 7; i < 20000; ++i) noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 24);
    const std::vector<std::pair<std::string, std::string>> junk = {
        {"doc.pdf", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj << /Type /Catalog >> endobj\n"},
        {"book.mobi", pdb},
        {"cover.txt", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)},
        {"photo.jpg", "\xFF\xD8\xFF\xE0\x00\x10JFIF"},
        {"texts.gz", "\x1F\x8B\x08\x00 packed"},
        {"texts.rar", "Rar!\x1A\x07\x01\x00"},
        {"noise.txt", noise},
        {"wiped.txt", std::string(5000, '\0')},
    };
    const QString russian = QString::fromUtf8(Prose(30).c_str());
    const std::vector<std::pair<std::string, std::string>> texts = {
        {"cp1251.txt", Encode(russian, "windows-1251")},
        {"utf8.txt", Encode(russian, "UTF-8")},
        {"utf16bom.txt", "\xFF\xFE" + Encode(russian, "UTF-16LE")},
        {"utf16le.txt", Encode(russian, "UTF-16LE")},
        {"utf16be.txt", Encode(russian, "UTF-16BE")},
        {"english16.txt", Encode(QStringLiteral("Plain English words, line after line.\r\n").repeated(20), "UTF-16LE")},
        {"koi8.txt", Encode(russian, "KOI8-R")},
        {"cp866.txt", Encode(russian, "IBM866")},
        {"colours.txt", "\x1B[1mBold\x1B[0m and plain\r\n\x0Cnext page\r\n\x1A"},
        {"empty.txt", ""},
        {"story.fb2", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook><body><section><p>Слово</p></section></body></FictionBook>"},
    };
    QStringList args;
    for (const auto& [name, bytes] : junk) {
        f.work.Write(name, bytes);
        args << f.Arg(name);
    }
    for (const auto& [name, bytes] : texts) {
        f.work.Write(name, bytes);
        args << f.Arg(name);
    }
    fs::create_directory(f.work / "out");
    const CliRun run = f.Run(args + QStringList{QStringLiteral("--out-dir"), f.Arg("out")});
    EXPECT_EQ(run.exitCode, 1);
    for (const auto& [name, bytes] : junk) {
        EXPECT_TRUE(Contains(run.err, "Файл " + f.Arg(name).toStdString() + " — не текст (")) << name << "\n" << run.err;
        EXPECT_FALSE(fs::exists(f.work / "out" / (fs::path(name).stem().string() + ".jar"))) << name;
    }
    EXPECT_TRUE(Contains(run.err, "(книга MOBI)")) << run.err;
    EXPECT_TRUE(Contains(run.err, "(документ PDF)")) << run.err;
    const std::string expected = Encode(russian, "windows-1251");
    for (const auto& [name, bytes] : texts) {
        const fs::path jar = f.work / "out" / (fs::path(name).stem().string() + ".jar");
        ASSERT_TRUE(fs::exists(jar)) << name << "\n" << run.err;
        if (name.starts_with("utf") || name == "koi8.txt" || name == "cp866.txt" || name == "cp1251.txt") {
            EXPECT_EQ(BookTextOf(jar), expected) << name;
        }
    }
    std::string english;
    for (int i = 0; i < 20; ++i) english += "Plain English words, line after line.\r\n";
    EXPECT_EQ(BookTextOf(f.work / "out" / "english16.jar"), english);
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliTextContent, CharactersCp1251LacksKeepTheirClosestForm)
{
    CliFolder f;
    // Stress marks, a letter written as base and mark, Latin accents, look-alike dashes, primes,
    // quotes and spaces, a ligature and a sharp s; CJK and Hebrew have no form.
    const QString text = QStringLiteral(
        "Настоя\u0301щая рабо\u0301ты, и\u0306од и е\u0308лка.\r\n"
        "Le Vrai R\u00E9gime, Stra\u00DFe, \u0153uvre, \uFB01n.\r\n"
        "a\u2010b\u2011c\u2012d\u2212e 5\u2032 \u201Fq\u201F x\u2009y\u202Fz\u2003w.\r\n"
        "\u65E5\u672C \u05E9\u05DC.\r\n");
    f.work.Write("marks.txt", Encode(text, "UTF-8"));
    const CliRun run = f.Run({f.Arg("marks.txt")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(BookTextOf(f.work / "marks.jar"),
              Cp("Настоящая работы, йод и ёлка.\r\n"
                 "Le Vrai Regime, Strasse, oeuvre, fin.\r\n"
                 "a-b-c-d-e 5' \"q\" x y z w.\r\n"
                 "?? ??.\r\n"));
    // Only the characters with no form are counted, and the first of them named.
    EXPECT_TRUE(Contains(run.err, "заменено на «?»: 4 (первый — «日», строка 4, позиция 1).")) << run.err;

    // A book's text the same way.
    f.work.Write("marks.fb2", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><FictionBook><body><section><p>" +
                                  Encode(QStringLiteral("Ре\u0301жим R\u00E9gime \u65E5"), "UTF-8") +
                                  "</p></section></body></FictionBook>");
    const CliRun book = f.Run({f.Arg("marks.fb2"), QStringLiteral("--title"), QStringLiteral("Marks")});
    ASSERT_EQ(book.exitCode, 0) << book.err;
    EXPECT_TRUE(Contains(BookTextOf(f.work / "marks.jar"), Cp("Режим Regime ?"))) << BookTextOf(f.work / "marks.jar");
    EXPECT_TRUE(Contains(book.err, "заменено на «?»: 1 ")) << book.err;
}

TEST(CliTextContent, ManifestAndDescriptorKeepTheTitlesOwnLetters)
{
    CliFolder f;
    f.work.Write("a.txt", "Text.\r\n");
    for (const QString& title : {QStringLiteral("Le Vrai Régime"), QStringLiteral("日本語の本"), QStringLiteral("שלום"),
                                 QStringLiteral("Война и мир")}) {
        const std::string utf8 = title.toStdString();
        const CliRun run = f.Run({f.Arg("a.txt"), QStringLiteral("--title"), title});
        ASSERT_EQ(run.exitCode, 0) << run.err;
        const std::string manifest = EntryContent(f.work / "a.jar", "META-INF/MANIFEST.MF");
        EXPECT_TRUE(Contains(manifest, "MIDlet-Name: " + utf8 + "\r\nMIDlet-1: " + utf8 + ", /book.png, BookReader\r\n")) << manifest;
        EXPECT_TRUE(Contains(f.work.Read("a.jad"), "MIDlet-Name: " + utf8 + "\r\n"));
        EXPECT_FALSE(Contains(manifest, "??"));
    }
}

TEST(CliTextContent, SuccessLineNamesTheVolumesWritten)
{
    CliFolder f;
    std::string text;
    unsigned seed = 3;
    while (text.size() < 150000) {
        for (int i = 0; i < 7; ++i) text += static_cast<char>(0xE0 + ((seed = seed * 1103515245u + 12345u) >> 16) % 32);
        text += text.size() % 90 < 8 ? "\r\n" : " ";
    }
    f.work.Write("novel.txt", text);
    const CliRun run = f.Run({f.Arg("novel.txt"), QStringLiteral("--profile"), QStringLiteral("Small"),
                              QStringLiteral("--max-jar-size"), QStringLiteral("50"), QStringLiteral("--verbose")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(fs::exists(f.work / "novel_2.jar"));
    EXPECT_FALSE(fs::exists(f.work / "novel.jar"));
    EXPECT_FALSE(Contains(run.err, "novel.jar — готово")) << run.err;
    EXPECT_TRUE(Contains(run.err, " → " + (f.work / "novel_1.jar").string() + ", novel_2.jar")) << run.err;
}

} // namespace lumira
