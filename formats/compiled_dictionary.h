#pragma once
// A hyphenation dictionary's state machine kept on disk as libhyphen built it, so that a later
// start reads it back in a few milliseconds of CPU instead of parsing the pattern file again
// (about 20 ms for the English patterns, 9 ms for the Russian ones).
//
// The file names the pattern file it was made from (path, size, modification time) and carries
// a checksum of its contents; one made from another file, one of another layout, a truncated or
// damaged one is refused as a whole, and the caller parses the patterns and writes it anew.
// What is read back is checked as libhyphen's matcher uses it: every state and transition in
// range, the transitions a tree from the first state, every fallback a shorter state (so the
// matcher's fallback walk ends), every string within the file and no longer than its state's
// depth allows.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

struct _HyphenDict;

namespace lumira {

// The pattern file a compiled dictionary was made from.
struct DictionarySource {
    std::string path;
    std::uintmax_t size = 0;
    std::int64_t time = 0;  // modification time, in the file clock's own ticks
};

class CompiledDictionary {
public:
    // The dictionary kept in `file` for `source`; nullptr when there is none, it was made from
    // anything else or does not pass the checks above.
    static std::unique_ptr<CompiledDictionary> Read(const std::filesystem::path& file, const DictionarySource& source);
    ~CompiledDictionary();
    CompiledDictionary(const CompiledDictionary&) = delete;
    CompiledDictionary& operator=(const CompiledDictionary&) = delete;

    // For libhyphen's matcher, which only reads it; owned by this object.
    _HyphenDict* Dict() { return levels_.empty() ? nullptr : levels_.front().get(); }

private:
    CompiledDictionary() = default;
    class LevelMemory;
    std::vector<std::unique_ptr<_HyphenDict>> levels_;
    std::vector<std::unique_ptr<LevelMemory>> memory_;  // each level's states, transitions and strings
};

// The bytes of `dict` (as libhyphen loaded it from `source`) in the form Read takes back.
std::string CompileDictionary(const _HyphenDict& dict, const DictionarySource& source);

// Where the compiled form of `source` is kept in `folder`: a name of the pattern file's own and
// a hash of its full path, so that two folders' files of one name do not share it.
std::filesystem::path CompiledDictionaryFile(const std::filesystem::path& folder, const DictionarySource& source);

} // namespace lumira
