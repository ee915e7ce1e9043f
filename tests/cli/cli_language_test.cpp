// lumira-cli in English and in Russian: --lang, else config.ini's Language, else the system's.
#include "cli_fixture.h"

#include "support/text_checks.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace lumira {

namespace {

bool HasCyrillic(const std::string& utf8)
{
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    return QString::fromStdString(utf8).contains(cyrillic);
}

QProcessEnvironment WithLocale(QProcessEnvironment env, const QString& lang)
{
    env.insert(QStringLiteral("LANG"), lang);
    return env;
}

} // namespace

TEST(CliLanguage, EnglishHelpAndMessagesHoldNoRussian)
{
    CliFolder f;
    const CliRun help = f.Run({"--lang", "en", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.rfind("Usage: lumira-cli [options] TEXT...", 0), 0u) << help.out;
    EXPECT_FALSE(HasCyrillic(help.out)) << help.out;

    // Every kind of message: a mistake in the options, a text that fails, pages that do not exist.
    f.work.Write("a.txt", "Text.\r\n");
    const CliRun usage = f.Run({"--lang=en", f.Arg("a.txt"), "--size", "0"});
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_EQ(usage.err, "lumira-cli: Wrong value of --size \"0\": a whole number from 1 to 200 is needed.\n"
                         "lumira-cli: Help: lumira-cli --help\n");
    const CliRun failed = f.Run({"--lang", "en", f.Arg("missing.txt"), "--profile", "Small"});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_FALSE(HasCyrillic(failed.err)) << failed.err;
    const CliRun pages = f.Run({"--lang", "en", "--verbose", "--preview", "99", "--png", f.Arg("p.png"), f.Arg("a.txt")});
    EXPECT_EQ(pages.exitCode, 1);
    EXPECT_NE(pages.err.find("There is no page 99"), std::string::npos) << pages.err;
    // Profile names are the user's data and stay as they are; the rest is English.
    std::string described = pages.err;
    for (const char* name : {"Большой"}) {
        for (size_t at; (at = described.find(name)) != std::string::npos;) described.erase(at, std::string(name).size());
    }
    EXPECT_FALSE(HasCyrillic(described)) << pages.err;

    // A text whose encoding was found, and a damaged book.
    f.work.Write("u.txt", "Текст в UTF-8.\r\n");
    const CliRun found = f.Run({"--lang", "en", "--verbose", "--profile", "Small", f.Arg("u.txt")});
    EXPECT_EQ(found.exitCode, 0) << found.err;
    EXPECT_NE((found.out + found.err).find("Encoding detected automatically"), std::string::npos) << found.out << found.err;
    EXPECT_FALSE(HasCyrillic(found.out + found.err)) << found.out << found.err;
    f.work.Write("b.fb2", "<?xml version=\"1.0\"?>\n<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><body>");
    const CliRun damaged = f.Run({"--lang", "en", "--profile", "Small", f.Arg("b.fb2")});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.err.find("is damaged: an XML error"), std::string::npos) << damaged.err;
    EXPECT_FALSE(HasCyrillic(damaged.err)) << damaged.err;
}

TEST(CliLanguage, LanguageComesFromTheOptionThenConfigThenTheSystem)
{
    CliFolder f;
    const std::string russianHelp = f.Run({"--help"}).out;  // the C locale
    EXPECT_EQ(russianHelp.rfind("Использование: lumira-cli", 0), 0u) << russianHelp;
    EXPECT_EQ(f.Run({"--lang", "ru", "--help"}).out, russianHelp);
    EXPECT_EQ(f.RunWith({"--help"}, WithLocale(f.Environment(), "ru_RU.UTF-8")).out, russianHelp);
    const std::string englishHelp = f.RunWith({"--help"}, WithLocale(f.Environment(), "de_DE.UTF-8")).out;
    EXPECT_EQ(englishHelp.rfind("Usage:", 0), 0u) << englishHelp;

    // config.ini's Language outweighs the system; --lang outweighs both.
    f.app.Write("config.ini", "[Global]\r\nLanguage=en\r\n");
    EXPECT_EQ(f.Run({"--help"}).out, englishHelp);
    EXPECT_EQ(f.Run({"--lang", "ru", "--help"}).out, russianHelp);
    f.app.Write("config.ini", "[Global]\r\nLanguage=ru\r\n");
    EXPECT_EQ(f.RunWith({"--help"}, WithLocale(f.Environment(), "de_DE.UTF-8")).out, russianHelp);

    // A language the program does not have is a mistake in the options.
    const CliRun wrong = f.Run({"--lang", "fr", "--help"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.err.rfind("lumira-cli: Неизвестный язык --lang «fr»: нужен ru или en.\n", 0), 0u) << wrong.err;
}

} // namespace lumira
