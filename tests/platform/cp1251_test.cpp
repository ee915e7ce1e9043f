// The cp1251 code page: conversion both ways and its lower-casing rule.
#include "platform/cp1251.h"
#include "support/cp1251_text.h"

#include <gtest/gtest.h>

namespace lumira {

TEST(Cp1251, RoundTripsEveryByteThroughUnicode)
{
    for (int b = 0; b < 256; ++b) {
        const auto u = Cp1251ToUnicode(static_cast<unsigned char>(b));
        EXPECT_EQ(UnicodeToCp1251(u), b) << b;
    }
    EXPECT_EQ(Cp1251ToUnicode(0xC0), U'А');
    EXPECT_EQ(Cp1251ToUnicode(0xA8), U'Ё');
    EXPECT_EQ(Cp1251ToUnicode(0xB9), U'№');
    EXPECT_EQ(UnicodeToCp1251(U'€'), 0x88);
    EXPECT_EQ(UnicodeToCp1251(U'漢'), -1);
}

TEST(Cp1251, ConvertsTextsAndReplacesWhatItLacks)
{
    EXPECT_EQ(Cp1251ToUtf8("\xC2\xEE\xE9\xED\xE0 abc"), "Война abc");
    EXPECT_EQ(Utf8ToCp1251("Ёж 漢 z"), "\xA8\xE6 ? z");
    EXPECT_EQ(QStringToCp1251(QStringLiteral("Щука")), "\xD9\xF3\xEA\xE0");
    EXPECT_EQ(Cp1251ToQString("\xD9\xF3\xEA\xE0"), QStringLiteral("Щука"));
    EXPECT_TRUE(FitsCp1251(QStringLiteral("Мир 1")));
    EXPECT_FALSE(FitsCp1251(QStringLiteral("Ñ")));
}

TEST(Cp1251, LowerCasesOnlyLatinAndRussianLetters)
{
    EXPECT_EQ(Cp1251Lower('A'), 'a');
    EXPECT_EQ(Cp1251Lower(0xC0), 0xE0);  // А -> а
    EXPECT_EQ(Cp1251Lower(0xDF), 0xFF);  // Я -> я
    EXPECT_EQ(Cp1251Lower(0xA8), 0xB8);  // Ё -> ё
    EXPECT_EQ(Cp1251Lower(0xB2), 0xB2);  // І stays
    EXPECT_EQ(Cp1251Lower('1'), '1');
    EXPECT_TRUE(Cp1251EqualsNoCase("\xCC\xE8\xF0 A", "\xEC\xC8\xD0 a"));
    EXPECT_FALSE(Cp1251EqualsNoCase("ab", "abc"));
}

} // namespace lumira
