// Book naming: the letter class, the title made from a file name and the Latin package name.
#include "book/naming.h"
#include "platform/cp1251.h"
#include "support/cp1251_text.h"

#include <gtest/gtest.h>

namespace lumira {

namespace {

std::string Cp(const char* utf8)
{
    return Utf8ToCp1251(utf8);
}

QString U(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(NamingIsLetter, ExactlyTheLatinAndRussianLetters)
{
    int count = 0;
    for (int c = 0; c < 256; ++c) {
        const bool expected = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == 0xA8 || c == 0xB8 || c >= 0xC0;
        EXPECT_EQ(IsLetter(static_cast<unsigned char>(c)), expected) << "code " << c;
        count += IsLetter(static_cast<unsigned char>(c));
    }
    EXPECT_EQ(count, 118);
    // Letters of other alphabets in the code page are not letters here.
    for (const char* other : {"Ў", "ў", "Є", "І", "ї", "Ґ", "Ђ"}) EXPECT_FALSE(IsLetter(static_cast<unsigned char>(Cp(other)[0]))) << other;
}

TEST(NamingTransliterate, EveryCellOfTheTable)
{
    ASSERT_EQ(TranslitKeys.size(), 68u);
    ASSERT_EQ(TranslitValues.size(), 68u);
    const char* lower = "абвгдеёжзийклмнопрстуфхцчшщъыьэюя";
    const char* upper = "АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ";
    const std::vector<std::string> latin = {"a", "b", "v", "g", "d", "e", "yo", "zh", "z", "i", "j",
                                            "k", "l", "m", "n", "o", "p", "r", "s", "t", "u", "f",
                                            "h", "ts", "ch", "sh", "sh", " ", "i", "'", "e", "yu", "ya"};
    const std::string lowerCp = Cp(lower), upperCp = Cp(upper);
    ASSERT_EQ(lowerCp.size(), latin.size());
    for (size_t i = 0; i < latin.size(); ++i) {
        EXPECT_EQ(TransliterateChar(static_cast<unsigned char>(lowerCp[i])), latin[i]) << "cell " << i + 2;
        EXPECT_EQ(TransliterateChar(static_cast<unsigned char>(upperCp[i])), latin[i]) << "cell " << i + 2;
    }
    EXPECT_EQ(TransliterateChar(' '), "_");
}

TEST(NamingTransliterate, EverythingElseStaysAsItIsButControlCharacters)
{
    for (int c = 0; c < 256; ++c) {
        const auto ch = static_cast<unsigned char>(c);
        if (c == ' ' || c == 0xA8 || c == 0xB8 || c >= 0xC0) continue;
        // A line break or other control character would split the descriptor's package line.
        const std::string expected = c < 0x20 || c == 0x7F ? "_" : std::string(1, static_cast<char>(ch));
        EXPECT_EQ(TransliterateChar(ch), expected) << "code " << c;
    }
    EXPECT_EQ(TransliterateName(QStringLiteral("a\nb\r.jar")), QStringLiteral("a_b_.jar"));
    EXPECT_EQ(TransliterateName(Cp("Война и мир-1 (2005).jar")), "vojna_i_mir-1_(2005).jar");
}

TEST(NamingSanitize, KeepsLettersBlanksDigitsAndColon)
{
    EXPECT_EQ(SanitizeCaption(std::string("a:b;c.d,e\"f'g_h9")), "a:b_c_d_e_f_g_h9");
    EXPECT_EQ(SanitizeCaption(Cp("Ёлка №5 — «ёж»")), Cp("Ёлка _5 _ _ёж_"));
    EXPECT_EQ(SanitizeCaption(std::string("\x01\x7F")), "__");
}

TEST(NamingUnicode, CharactersOutsideTheCodePage)
{
    // A character cp1251 has follows the rules; any other one is kept by the transliteration
    // and becomes "_" in the title.
    EXPECT_EQ(TransliterateName(U("Çay 日本 Ж.jar")), U("Çay_日本_zh.jar"));
    EXPECT_EQ(TransliterateName(U("𝄞x")), U("𝄞x"));
    EXPECT_EQ(SanitizeCaption(U("Çay 日本 Ж")), U("_ay __ Ж"));
    EXPECT_EQ(SanitizeCaption(U("𝄞x")), U("_x"));
}

TEST(NamingUnicode, ExtensionIsFromTheLastFullStop)
{
    EXPECT_EQ(WithJarExtension(U("a.b.c")), U("a.b.jar"));
    EXPECT_EQ(WithoutExtension(U("a.b.c")), U("a.b"));
}

} // namespace lumira
