// Books built by lumira-cli, byte by byte: the settings record, the text pieces, the glyph
// files, the manifest and the descriptor, from stored settings and from options.
#include "cli_fixture.h"

#include "book/zip_test_util.h"
#include "font/font_strip.h"
#include "platform/line_list.h"

#include <QImage>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values) s.push_back(static_cast<char>(v));
    return s;
}

// The glyph files in the package are those the font strip makes of the same settings.
void ExpectGlyphFiles(const fs::path& jar, const BookFontStyle& font, ColorValue background, int upperCut, int lowerCut)
{
    const FontStripImage expected = RenderFontStrip(font, background, upperCut, lowerCut);
    EXPECT_EQ(EntryContent(jar, "fonts/default.props"), GlyphTableFileBytes(expected.table));
    const std::string png = EntryContent(jar, "fonts/default.png");
    ASSERT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"));
    ASSERT_EQ(decoded.size(), expected.strip.size());
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_RGB32), expected.strip.convertToFormat(QImage::Format_RGB32));
}

const char* const kTemplateManifest = "Manifest-Version: 1.0\r\nMIDlet-Vendor: Test\r\nMicroEdition-Profile: MIDP-2.0\r\n";

} // namespace

TEST(CliBook, StoredSettingsMakeTheBookAndTheNameComesFromTheFile)
{
    CliFolder f;
    f.app.Write("config.ini", "[Font]\r\nSize=10\r\nBold=1\r\nColor=255\r\n[Global]\r\nBackground=16777215\r\nModel=0\r\n"
                              "Sysline=0\r\nBottCut=1\r\nHyphenation=simple\r\n");
    // "война и мир " in cp1251 over and over, between "A" and "Z", closed by CR LF.
    const std::string phrase = "\xe2\xee\xe9\xed\xe0 \xe8 \xec\xe8\xf0 ";
    std::string text(32768, ' ');
    for (size_t i = 0; i < text.size(); ++i) text[i] = phrase[i % phrase.size()];
    text[0] = 'A';
    text.replace(text.size() - 3, 3, "Z\r\n");
    f.work.Write("Война и мир.txt", text);

    const CliRun run = f.Run({f.Arg("Война и мир.txt"), QStringLiteral("--background"), QStringLiteral("#332211")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");  // not a terminal: quiet
    const fs::path jar = f.work / "vojna_i_mir.jar";
    ASSERT_TRUE(fs::exists(jar));

    EXPECT_EQ(EntryNames(jar), (std::vector<std::string>{"book.png", "BookReader.class", "config", "fonts/",
                                                         "fonts/default.png", "fonts/default.props", "META-INF/",
                                                         "META-INF/MANIFEST.MF", "text/", "text/chunk.0", "text/chunk.1"}));
    // Size 32768, byte 4 zero, background blue-green-red, the small phone, two pieces, 32767, top.
    EXPECT_EQ(EntryContent(jar, "config"),
              Bytes({0x00, 0x80, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0x80, 0x00, 0xA0, 0x00, 0x01, 0xFA, 0xF9, 0x00,
                     0x02, 0x05, 0x00, 0x03, 0x02, 0x00, 0xFF, 0x7F, 0x00, 0x00, 0x01}));
    EXPECT_EQ(EntryContent(jar, "text/chunk.0"), text.substr(0, 32767));
    EXPECT_EQ(EntryContent(jar, "text/chunk.1"), "\n");

    BookFontStyle font;
    font.size = 10;
    font.bold = true;
    font.color = 255;
    ExpectGlyphFiles(jar, font, MakeColorValue(0x33, 0x22, 0x11), 0, 1);

    const std::string manifest = std::string(kTemplateManifest) + "MIDlet-Name: Война и мир\r\n" +
                                 "MIDlet-1: Война и мир, /book.png, BookReader\r\n";
    EXPECT_EQ(EntryContent(jar, "META-INF/MANIFEST.MF"), manifest);
    EXPECT_EQ(f.work.Read("vojna_i_mir.jad"), manifest + "MIDlet-Jar-URL: vojna_i_mir.jar\r\nMIDlet-Jar-Size: " +
                                                  std::to_string(fs::file_size(jar)) + "\r\n");

    // The window's working folder is not used, and the private one is gone.
    EXPECT_FALSE(fs::exists(f.app / "temp"));
    EXPECT_TRUE(f.ScratchEmpty());
}

TEST(CliBook, OptionsOverrideEverySetting)
{
    CliFolder f;
    f.app.Write("config.ini", "[Font]\r\nSize=10\r\nBold=1\r\nUnderline=1\r\n[Global]\r\nBackground=0\r\nModel=0\r\nSysline=0\r\n");
    f.work.Write("empty.txt", "");
    fs::create_directory(f.work / "out");

    const CliRun run = f.Run({f.Arg("empty.txt"), QStringLiteral("--profile"), QStringLiteral("БОЛЬШОЙ"),
                              QStringLiteral("--size=12"), QStringLiteral("--no-bold"), QStringLiteral("--italic"),
                              QStringLiteral("--color"), QStringLiteral("#00ff00"), QStringLiteral("--background"),
                              QStringLiteral("102030"), QStringLiteral("--upper-cut"), QStringLiteral("1"),
                              QStringLiteral("--bottom-cut"), QStringLiteral("2"), QStringLiteral("--sysline"),
                              QStringLiteral("bottom"), QStringLiteral("--title"), QStringLiteral("Моя книга"),
                              QStringLiteral("--out"), f.Arg("out/b.jar")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const fs::path jar = f.work / "out" / "b.jar";
    // An empty text: no pieces; the large phone with its keys unset; the band at the bottom.
    EXPECT_EQ(EntryNames(jar).back(), "text/");
    EXPECT_EQ(EntryContent(jar, "config"),
              Bytes({0, 0, 0, 0, 0, 0x30, 0x20, 0x10, 0xF0, 0x00, 0x40, 0x01, 0x01, 0x01, 0x02, 0x03, 0xFF, 0xFF, 0xFF,
                     0xFF, 0x00, 0x00, 0xFF, 0x7F, 0x00, 0x00, 0x02}));
    BookFontStyle font;
    font.size = 12;
    font.italic = true;
    font.underline = true;  // from config.ini
    font.color = MakeColorValue(0, 255, 0);
    ExpectGlyphFiles(jar, font, MakeColorValue(0x10, 0x20, 0x30), 1, 2);
    EXPECT_EQ(EntryContent(jar, "META-INF/MANIFEST.MF"),
              std::string(kTemplateManifest) + "MIDlet-Name: Моя книга\r\nMIDlet-1: Моя книга, /book.png, BookReader\r\n");
    const LineList jad = SplitLines(f.work.Read("out/b.jad"));
    EXPECT_EQ(jad[jad.size() - 2], "MIDlet-Jar-URL: b.jar");
    EXPECT_FALSE(fs::exists(f.work / "empty.jar"));
}

} // namespace lumira
