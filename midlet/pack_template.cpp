// Packs the reader's template archive: lays out a staging folder with the manifest, the icon, the
// compiled classes and the empty folder "text", and archives it with the program's own ZIP code.
//
//   lumira_pack_template <archive> <staging folder> <manifest> <icon> <class file or folder>...
//
// A folder stands for every class file directly in it (the renamed classes, whose names the build
// cannot know beforehand).
// The entries are packed at the tightest level there is: the template counts against a size budget.
// The manifest is copied line by line with CR LF breaks. The staging folder is emptied first.
#include "platform/folders.h"
#include "book/zip_archive.h"
#include "platform/errors.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace lumira;

namespace fs = std::filesystem;

namespace {

std::string ReadWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) ThrowCannotOpen(path);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteWhole(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) ThrowCannotCreate(path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) ThrowUnableToWrite(path);
}

// Every line followed by CR LF, whatever breaks the source used; no empty line is added at the end.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    std::string line;
    bool pending = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += line + "\r\n";
            line.clear();
            pending = false;
        } else {
            line += c;
            pending = true;
        }
    }
    if (pending) out += line + "\r\n";
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::cerr << "usage: lumira_pack_template <archive> <staging folder> <manifest> <icon> <class file or folder>...\n";
        return 2;
    }
    try {
        const fs::path archive = fs::absolute(argv[1]);
        const fs::path staging = fs::absolute(argv[2]);
        fs::remove_all(staging);
        fs::create_directories(staging / "META-INF");
        fs::create_directories(staging / "text");
        WriteWhole(staging / "META-INF" / "MANIFEST.MF", WithCrLf(ReadWhole(argv[3])));
        WriteWhole(staging / "book.png", ReadWhole(argv[4]));
        for (int i = 5; i < argc; ++i) {
            const fs::path given = argv[i];
            std::vector<fs::path> classFiles;
            if (fs::is_directory(given)) {
                for (const auto& entry : fs::directory_iterator(given))
                    if (entry.is_regular_file() && entry.path().extension() == ".class") classFiles.push_back(entry.path());
                if (classFiles.empty()) throw std::runtime_error("no class files in " + given.string());
            } else {
                classFiles.push_back(given);
            }
            for (const fs::path& classFile : classFiles) WriteWhole(staging / classFile.filename(), ReadWhole(classFile));
        }
        WriteFolderArchive(archive, staging, {}, ArchiveCompression::Tightest());
    } catch (const std::exception& e) {
        std::cerr << "lumira_pack_template: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
