// Inputs that must not hurt the file layer: pipes given as files, settings files that exist but
// cannot be read, file names that are not UTF-8, and a write failure in the middle of a
// conversion.
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/text_encoding.h"
#include "support/file_size_limit.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <chrono>
#include <filesystem>
#include <random>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace lumira {

namespace fs = std::filesystem;

namespace {

// A named pipe with no writer: opening it the ordinary way would wait for ever.
fs::path MakeFifo(const TempDir& dir, const std::string& name)
{
    const fs::path path = dir / name;
    EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
    return path;
}

} // namespace

TEST(HostileFiles, APipeOrDeviceIsRefusedAtOnceAsNoRegularFile)
{
    const TempDir dir;
    const auto started = std::chrono::steady_clock::now();
    for (const fs::path& path : {MakeFifo(dir, "text.txt"), fs::path("/dev/zero")}) {
        try {
            ReadFileBytes(path);
            ADD_FAILURE() << path << " was read";
        } catch (const AppError& e) {
            EXPECT_NE(std::string(e.what()).find("не обычный файл"), std::string::npos) << e.what();
        }
    }
    // Refused, not waited on (the bound is only a guard against hanging for ever).
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
}

TEST(HostileFiles, ASettingsFileThatCannotBeReadIsNeverReplacedByAWrite)
{
    const TempDir dir;
    const fs::path path = MakeFifo(dir, "profiles.ini");
    IniFile ini(path);
    EXPECT_THROW(ini.ReadSections(), AppError);
    EXPECT_THROW(ini.WriteInteger("Phone", "Width", 176), AppError);
    EXPECT_THROW(ini.EraseSection("Phone"), AppError);
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(path)));  // still the same, not a new file
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);

    // A missing file is still simply empty.
    IniFile missing(dir / "new.ini");
    EXPECT_TRUE(missing.ReadSections().empty());
}

TEST(HostileFiles, AWriteFailureWhileConvertingUtf8IsReportedAsAWriteFailure)
{
    const TempDir dir;
    // Valid at its beginning, broken further on: "Авто" would fall back on a decoding error.
    std::string text;
    for (int i = 0; i < 20000; ++i) text += "Строка текста номер " + std::to_string(i) + "\n";
    text += "\xC0\x80";
    dir.Write("t.txt", text);
    std::string failure;
    {
        const FileSizeLimit limit(64 * 1024);  // the copy fails half-way through the conversion
        try {
            ConvertFileToCp1251(dir / "t.txt", TextEncoding::Auto, dir / "copy.txt");
        } catch (const InvalidTextError& e) {
            failure = "decoding: " + std::string(e.what());
        } catch (const AppError& e) {
            failure = e.what();
        }
    }
    EXPECT_EQ(failure, UnableToWriteText(dir / "copy.txt", EFBIG));
    EXPECT_FALSE(fs::exists(dir / "copy.txt"));
}

// A name's bytes survive the trip through the QString the program carries them in, whatever
// they are; valid UTF-8 reads as the text it is.
TEST(HostileFiles, FileNamesAreReadAsTheBytesTheyAre)
{
    std::mt19937 random(19);
    for (int round = 0; round < 2000; ++round) {
        std::string bytes(random() % 12 + 1, '\0');
        for (char& b : bytes) b = static_cast<char>(random() % 255 + 1);
        EXPECT_EQ(ToFsPath(FromNativeName(bytes)).native(), bytes);
    }
    EXPECT_EQ(FromNativeName("Война.txt"), QStringLiteral("Война.txt"));
    EXPECT_EQ(FromNativeName("\xC2\xC9.txt").size(), 6);  // two stray bytes, each one code

    const TempDir dir;
    const std::string name = "\xC2\xEE\xE9\xED\xE0.txt";  // cp1251, not UTF-8
    WriteFileBytes(dir.Path() / name, "text");
    EXPECT_EQ(ReadFileBytes(ToFsPath(FromFsPath(dir.Path() / name))), "text");
}

TEST(HostileFiles, AFailedAtomicWriteKeepsTheOldFileAndLeavesNoTemporary)
{
    const TempDir dir;
    dir.Write("config.ini", "[Global]\r\nModel=1\r\n");
    {
        const FileSizeLimit limit(4096);
        EXPECT_THROW(WriteFileAtomically(dir / "config.ini", std::string(100000, 'x')), AppError);
    }
    EXPECT_EQ(dir.Read("config.ini"), "[Global]\r\nModel=1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 1);
}

} // namespace lumira
