// The text's encoding in the main window: the preview of a text in any encoding is the preview
// of the same text in cp1251, the encoding row shows and changes how the text is read, a broken
// text is refused with its position, and the choice is remembered in config.ini.
#include "app/main_window.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/ini_file.h"
#include "platform/line_list.h"
#include "platform/paths.h"
#include "support/encode.h"
#include "support/scripted_desktop.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QStringDecoder>
#include <QToolButton>
#include <gtest/gtest.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// The lines of a text in cp1251, "?" for what cp1251 lacks.
LineList Lines(const QString& text)
{
    return SplitLines(QStringToCp1251(text));
}

struct EncodingRowTest : ::testing::Test {
    ScriptedDesktop desktop;
    AppFolder app{false};
    TempDir texts;
    std::unique_ptr<MainWindow> form;

    void Start() { form = std::make_unique<MainWindow>(app.DirText()); }

    void Choose(const std::string& name, std::string_view bytes)
    {
        texts.Write(name, bytes);
        desktop.openAnswers.push_back(FromFsPath(texts / name));
        form->cxButtonEdit1PropertiesButtonClick();
    }

    QString ButtonText() const { return form->e_text_encoding->text(); }

    // Picks an encoding from the row's menu as the user does.
    void Pick(const QString& name)
    {
        for (QAction* action : form->e_text_encoding->menu()->actions())
            if (action->text() == name) return action->trigger();
        ADD_FAILURE() << "no menu entry " << name.toStdString();
    }
};

} // namespace

TEST_F(EncodingRowTest, PreviewOfATextInAnyEncodingIsThatOfItsCp1251Form)
{
    Start();
    const QString text = QStringLiteral("Глава первая\r\n\r\nЖили-были дед да баба.\nИ была у них курочка Ряба.\r\n");
    const LineList expected = SplitLines(Encode(text, "windows-1251").substr(0, Encode(text, "windows-1251").size() - 1));
    const std::pair<const char*, std::string> cases[] = {
        {"cp1251", Encode(text, "windows-1251")},
        {"utf-8", Encode(text, "UTF-8")},
        {"utf-8 with a mark", "\xEF\xBB\xBF" + Encode(text, "UTF-8")},
        {"utf-16le", "\xFF\xFE" + Encode(text, "UTF-16LE")},
        {"utf-16be", "\xFE\xFF" + Encode(text, "UTF-16BE")},
        {"koi8-r", Encode(text, "KOI8-R")},
        {"cp866", Encode(text, "IBM866")},
    };
    for (const auto& [name, bytes] : cases) {
        Choose(std::string(name) + ".txt", bytes);
        EXPECT_EQ(form->PreviewText, expected) << name;
    }
    // A cp1251 text whose bytes happen to form UTF-8 here and there is shown as it is.
    const std::string cp1251 = Encode(QStringLiteral("Гёте: «Г©» — это не UTF-8.\r\n"), "windows-1251");
    Choose("goethe.txt", cp1251);
    EXPECT_EQ(form->PreviewText, SplitLines(cp1251.substr(0, cp1251.size() - 1)));
    EXPECT_EQ(ButtonText(), QStringLiteral("Авто (1251)"));
}

TEST_F(EncodingRowTest, PreviewOfALongTextEndsWithTheCharactersReadWhole)
{
    Start();
    // 2048 bytes are read: 1001 letters "a", 523 letters "я" of two bytes and half of the next.
    const QString utf8Text = QString(1001, QLatin1Char('a')) + QString(600, QChar(0x044F));
    Choose("utf8.txt", Encode(utf8Text, "UTF-8"));
    EXPECT_EQ(form->PreviewText, LineList{std::string(1001, 'a') + std::string(522, '\xFF')});
    // UTF-16: 1023 characters after the mark; the last one is dropped as a cp1251 text's last byte is.
    Choose("utf16.txt", "\xFF\xFE" + Encode(QString(1500, QChar(0x044F)), "UTF-16LE"));
    EXPECT_EQ(form->PreviewText, LineList{std::string(1022, '\xFF')});
}

TEST_F(EncodingRowTest, ZeroCharacterIsLeftOutOfTheUtf16PreviewAndZeroBytesOfItsLettersAreNot)
{
    Start();
    Choose("ascii16.txt", "\xFF\xFE" + Encode(QStringLiteral("Line one\r\nLine two\r\n"), "UTF-16LE"));
    EXPECT_EQ(form->PreviewText, (LineList{"Line one", "Line two"}));
    Choose("zero16.txt", "\xFE\xFF" + Encode(QStringLiteral("До нуля") + QChar(0) + QStringLiteral("после\r\n"), "UTF-16BE"));
    EXPECT_EQ(form->PreviewText, Lines(QStringLiteral("До нуляпосле")));
}

TEST_F(EncodingRowTest, ChoosingAnotherEncodingRereadsThePreviewWhereItWas)
{
    Start();
    EXPECT_EQ(ButtonText(), QStringLiteral("Авто"));
    // With no text of the user's, the sample stays.
    const LineList sample = form->PreviewText;
    Pick(QStringLiteral("KOI8-R"));
    EXPECT_EQ(form->Book.encoding, TextEncoding::Koi8r);
    EXPECT_EQ(form->PreviewText, sample);
    Pick(QStringLiteral("Авто"));

    const QString text = QStringLiteral("Мороз и солнце; день чудесный!\r\nЕщё ты дремлешь, друг прелестный.\r\n");
    Choose("koi8.txt", Encode(text, "KOI8-R"));
    EXPECT_EQ(ButtonText(), QStringLiteral("Авто (KOI8-R)"));
    EXPECT_EQ(form->PreviewText, Lines(text.chopped(1)));
    form->Book.pageStart = 40;

    Pick(QStringLiteral("CP866"));
    EXPECT_EQ(form->Book.encoding, TextEncoding::Cp866);
    EXPECT_EQ(ButtonText(), QStringLiteral("CP866"));
    QStringDecoder cp866("IBM866");
    EXPECT_EQ(form->PreviewText, Lines(QString(cp866.decode(QByteArray::fromStdString(Encode(text, "KOI8-R")))).chopped(1)));
    EXPECT_EQ(form->Book.pageStart, 40);
    for (QAction* action : form->e_text_encoding->menu()->actions())
        EXPECT_EQ(action->isChecked(), action->text() == QStringLiteral("CP866")) << action->text().toStdString();

    // A new text is read in the encoding chosen.
    Choose("utf8.txt", Encode(text, "UTF-8"));
    EXPECT_NE(form->PreviewText, Lines(text.chopped(1)));
    Pick(QStringLiteral("Авто"));
    EXPECT_EQ(ButtonText(), QStringLiteral("Авто (UTF-8)"));
    EXPECT_EQ(form->PreviewText, Lines(text.chopped(1)));
}

TEST_F(EncodingRowTest, BrokenTextIsRefusedWithItsPositionAndNothingIsLost)
{
    Start();
    std::string broken = Encode(QStringLiteral("Хороший "), "UTF-8");
    const size_t position = broken.size() + 1;
    broken += "\x80 text\r\n";
    texts.Write("broken.txt", broken);
    // "Авто" reads it as a single-byte text; chosen as UTF-8 it is refused.
    desktop.openAnswers.push_back(FromFsPath(texts / "broken.txt"));
    form->cxButtonEdit1PropertiesButtonClick();
    EXPECT_NE(form->ResolvedEncoding, TextEncoding::Utf8);
    const LineList shown = form->PreviewText;
    try {
        form->e_text_encodingChoose(TextEncoding::Utf8);
        FAIL() << "broken UTF-8 shown";
    } catch (const AppError& e) {
        EXPECT_EQ(std::string(e.what()), "Текст не читается как UTF-8: неверная последовательность байтов в позиции " +
                                             std::to_string(position) + ".");
    }
    EXPECT_EQ(form->Book.encoding, TextEncoding::Utf8);
    EXPECT_EQ(ButtonText(), QStringLiteral("UTF-8"));
    EXPECT_EQ(form->PreviewText, shown);
    EXPECT_EQ(form->e_text->text(), FromFsPath(texts / "broken.txt"));
}

TEST_F(EncodingRowTest, ChoiceIsRememberedInTheSettingsFile)
{
    Start();
    form->e_text_encodingChoose(TextEncoding::Koi8r);
    form->FormClose();
    const std::string config = app.Read("config.ini");
    const std::string saveDir = "SaveDir=" + app.DirText().toStdString() + "\r\n";
    EXPECT_NE(config.find(saveDir + "Encoding=koi8-r\r\n"), std::string::npos) << config;

    form.reset();
    Start();
    EXPECT_EQ(form->Book.encoding, TextEncoding::Koi8r);
    EXPECT_EQ(ButtonText(), QStringLiteral("KOI8-R"));

    // Without the key, or with a name not known, texts are read in "Авто".
    for (const char* stored : {"[Global]\r\nModel=0\r\n", "[Global]\r\nEncoding=latin-1\r\n"}) {
        form.reset();
        app.Write("config.ini", stored);
        Start();
        EXPECT_EQ(form->Book.encoding, TextEncoding::Auto) << stored;
        EXPECT_EQ(ButtonText(), QStringLiteral("Авто")) << stored;
    }
}

} // namespace lumira
