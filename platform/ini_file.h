#pragma once
// Settings files in the INI layout, with the reading and writing rules of the Windows
// private-profile functions. The object is bound to a path and keeps no copy of the file:
// every read reads the file and every write rewrites it at once (atomically, through a temporary
// file in the same folder); a Batch puts the writes of one save into one rewrite. Section and key
// names match without regard to case (cp1251 rules).
// Names and values are cp1251 bytes. Files are written with CR LF and read with any line ending.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace lumira {

// A parsed copy of an INI file's text, read by the same rules as IniFile. For reading many keys of
// a file that nothing writes meanwhile (a whole profile list) without reading the file each time.
class IniView {
public:
    explicit IniView(std::string_view text);

    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const;
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;
    std::vector<std::string> ReadSections() const;
    bool SectionExists(const std::string& section) const;
    bool KeyExists(const std::string& section, const std::string& key) const;

private:
    std::optional<std::string> RawValue(const std::string& section, const std::string& key) const;
    std::vector<std::string> lines_;
};

class IniFile {
public:
    // The longest text a read returns, and the size of the section-name buffer.
    static constexpr size_t kMaxText = 2047;
    static constexpr size_t kSectionBuffer = 16384;

    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& Path() const { return path_; }

    // Text: blanks around the value and one pair of enclosing quotes removed, at most 2047
    // characters. A key present with an empty value reads as the empty text.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // Integer: optional leading blanks and sign; decimal, or hexadecimal after "$" or "0x".
    // Anything that is not a 32-bit signed integer gives `def`.
    std::int32_t ReadInteger(const std::string& section, const std::string& key, std::int32_t def) const;
    // Boolean: an integer read with default 1 or 0; any integer other than 0 is true.
    bool ReadBool(const std::string& section, const std::string& key, bool def) const;

    // Section names in file order, as many as fit a 16,384-byte buffer of zero-terminated names.
    std::vector<std::string> ReadSections() const;
    // True when the section holds the key, whatever its value.
    bool KeyExists(const std::string& section, const std::string& key) const;
    bool SectionExists(const std::string& section) const;

    // Replaces the value where the key stands, or adds the key at the end of its section, or adds
    // the section with the key at the end of the file. Failure: "Unable to write to %s".
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
    void WriteBool(const std::string& section, const std::string& key, bool value);
    // Removes the section line and every line of the section. Failure: "Unable to write to %s".
    void EraseSection(const std::string& section);
    // Replaces everything in the section by `entries` (key, value), in one write: the section
    // keeps its place, or is added at the end of the file; no entries erases it. Every other
    // line stays as it was. Failure: "Unable to write to %s".
    void ReplaceSection(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries);

    // The file as it is now, for many reads at once.
    IniView Snapshot() const;

    // The writes of one save, put into the file together: the file is read once when the batch
    // is made, each write below changes the batch's copy by the rules of the single writes above,
    // and Save writes the result in one atomic write, byte for byte what the same single writes
    // one after the other would leave. Nothing is written before Save; a batch dropped unsaved
    // writes nothing. Failures as the single writes ("Unable to write to %s").
    class Batch {
    public:
        explicit Batch(const IniFile& file);

        void WriteString(const std::string& section, const std::string& key, const std::string& value);
        void WriteInteger(const std::string& section, const std::string& key, std::int32_t value);
        void WriteBool(const std::string& section, const std::string& key, bool value);
        void EraseSection(const std::string& section);
        void ReplaceSection(const std::string& section, const std::vector<std::pair<std::string, std::string>>& entries);
        // Reads the batch's copy, the writes so far included.
        bool KeyExists(const std::string& section, const std::string& key) const;

        void Save();

    private:
        std::filesystem::path path_;
        std::vector<std::string> lines_;
        bool changed_ = false;
        bool mustBeWritable_ = false;  // an erase that found nothing still needs a writable file
    };

    // The integer rule on its own (used for values read by other means, too).
    static std::optional<std::int32_t> ParseInteger(const std::string& text);

private:
    std::filesystem::path path_;
};

} // namespace lumira
