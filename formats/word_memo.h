#pragma once
// Words already worked out and what each became, for a text's many repeats of the same words:
// one flat table of eight-byte slots probed in place (part of the hash, and where the entry's
// lengths, word and result lie in one buffer), so that a lookup touches two cache lines rather
// than a chain of nodes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumira {

class WordMemo {
public:
    // Words longer than this are not remembered.
    static constexpr size_t kLongestWord = 255;

    // What `word` became, or a view without data when it is not remembered.
    std::string_view Find(std::string_view word, std::uint64_t hash) const;
    // Remembers that `word` (at most kLongestWord bytes) became `result` (at most twice as long).
    // Past `maxWords` words everything is forgotten first.
    void Add(std::string_view word, std::uint64_t hash, std::string_view result, size_t maxWords);

    // A word's hash, for Find and Add.
    static std::uint64_t Hash(std::string_view word)
    {
        std::uint64_t h = 0xcbf29ce484222325ull;
        for (const char c : word) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
        return h ^ (h >> 29);
    }

private:
    // An entry in bytes_: the word's length (one byte), the result's (two), the word, the result.
    struct Slot {
        std::uint32_t hash = 0;  // the hash's high half
        std::uint32_t at = 0;    // the entry's place in bytes_ plus one; 0: an empty slot
    };
    static constexpr size_t kHeader = 3;

    void Grow();

    std::vector<Slot> slots_;
    std::string bytes_;
    size_t count_ = 0;
};

} // namespace lumira
