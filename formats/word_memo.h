#pragma once
// Words already worked out and what each became, for a text's many repeats of the same words:
// one flat table of eight-byte slots probed in place (part of the hash, and where the entry's
// lengths, word and result lie in one buffer), so that a lookup touches two cache lines rather
// than a chain of nodes.
#include "platform/large_room.h"

#include <bit>
#include <cstddef>
#include <cstring>
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

// Short words (most of a text's) with the points found in them: each slot holds the word itself,
// padded with zero bytes to two 64-bit halves, and its points as one bit per byte, so that a
// lookup reads one 32-byte slot and compares two numbers, and a hit copies nothing.
// A small table in front, one slot per hash, keeps the words met lately within the cache; the
// frequent words of a text are found there.
class ShortWordPoints {
public:
    static constexpr size_t kLongestWord = 16;

    // A word of 1..kLongestWord bytes, none of them zero, as the tables know it.
    struct Key {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::uint64_t hash = 0;
        size_t length = 0;
    };
    static Key KeyOf(std::string_view word)
    {
        Key key;
        const char* p = word.data();
        const size_t n = word.size();
        if constexpr (std::endian::native == std::endian::little) {
            // Two loads that overlap, the bytes of the second already in the first shifted out.
            if (n > 8) {
                key.low = Load<std::uint64_t>(p);
                key.high = Load<std::uint64_t>(p + n - 8) >> (8 * (16 - n));
            } else if (n >= 4) {
                key.low = Load<std::uint32_t>(p) | (static_cast<std::uint64_t>(Load<std::uint32_t>(p + n - 4)) >> (8 * (8 - n))) << 32;
            } else {
                for (size_t i = 0; i < n; ++i) key.low |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
            }
        } else {
            char bytes[2 * sizeof(std::uint64_t)] = {};
            std::memcpy(bytes, p, n);
            std::memcpy(&key.low, bytes, sizeof key.low);
            std::memcpy(&key.high, bytes + sizeof key.low, sizeof key.high);
        }
        key.length = n;
        key.hash = HashOf(key);
        return key;
    }

    // KeyOf a word of `n` bytes (1..kLongestWord) at `p`, from which kLongestWord bytes can be read.
    static Key KeyAt(const char* p, size_t n)
    {
        Key key;
        if constexpr (std::endian::native == std::endian::little) {
            // The word's bytes and those after it, the latter masked out.
            const std::uint64_t lowMask = n >= 8 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * n)) - 1;
            const std::uint64_t highMask = n <= 8 ? 0 : n == 16 ? ~std::uint64_t{0} : (std::uint64_t{1} << (8 * (n - 8))) - 1;
            key.low = Load<std::uint64_t>(p) & lowMask;
            key.high = Load<std::uint64_t>(p + 8) & highMask;
            key.length = n;
            key.hash = HashOf(key);
            return key;
        } else {
            return KeyOf(std::string_view(p, n));
        }
    }

    // Bit i of `points` set: a point after the word's byte i. False when the word is not remembered.
    bool Find(const Key& key, std::uint16_t& points)
    {
        if (slots_.empty()) return false;
        Slot& front = front_[FrontIndex(key)];
        if (front.Holds(key)) {
            points = front.points;
            return true;
        }
        return FindBehind(key, front, points);
    }
    // Has the memory holding the word's slots brought into the cache, for a Find soon after.
    void Prefetch(const Key& key) const
    {
#if defined(__GNUC__)
        if (slots_.empty()) return;
        __builtin_prefetch(&front_[FrontIndex(key)]);
        // Without a barrier between them, gcc 12 drops both prefetches.
        asm("" ::: "memory");
        __builtin_prefetch(&slots_[static_cast<size_t>(key.hash) & (slots_.size() - 1)]);
#else
        (void)key;
#endif
    }
    // Remembers the word's points; past `maxWords` words everything is forgotten first.
    void Add(const Key& key, std::uint16_t points, size_t maxWords);

private:
    // All zero: an empty slot.
    struct alignas(32) Slot {
        std::uint64_t low = 0;
        std::uint64_t high = 0;
        std::uint16_t points = 0;
        std::uint8_t length = 0;  // 0: an empty slot
        bool Holds(const Key& key) const { return low == key.low && high == key.high && length == key.length; }
    };
    static constexpr size_t kFrontSlots = 4096;

    static std::uint64_t HashOf(const Key& key)
    {
        std::uint64_t h = (key.low ^ (key.high * 0x9e3779b97f4a7c15ull) ^ key.length) * 0xff51afd7ed558ccdull;
        h ^= h >> 32;
        h *= 0xc4ceb9fe1a85ec53ull;
        return h ^ (h >> 29);
    }
    template <typename T>
    static T Load(const char* p)
    {
        T value;
        std::memcpy(&value, p, sizeof value);
        return value;
    }
    static size_t FrontIndex(const Key& key) { return static_cast<size_t>(key.hash >> 40) & (kFrontSlots - 1); }
    void Place(const Slot& slot, std::uint64_t hash);
    // Find in the large table, for a word the front table's `front` slot does not hold.
    bool FindBehind(const Key& key, Slot& front, std::uint16_t& points);

    ZeroedTable<Slot> slots_;
    ZeroedTable<Slot> front_;
    size_t count_ = 0;
};

} // namespace lumira
