#include "formats/word_memo.h"

#include <limits>

namespace lumira {

std::string_view WordMemo::Find(std::string_view word, std::uint64_t hash) const
{
    if (slots_.empty()) return {};
    const size_t mask = slots_.size() - 1;
    const auto high = static_cast<std::uint32_t>(hash >> 32);
    for (size_t i = static_cast<size_t>(hash) & mask;; i = (i + 1) & mask) {
        const Slot slot = slots_[i];
        if (slot.at == 0) return {};
        if (slot.hash != high) continue;
        const char* entry = bytes_.data() + slot.at - 1;
        if (static_cast<unsigned char>(entry[0]) != word.size()) continue;
        const char* stored = entry + kHeader;
        size_t k = 0;
        while (k < word.size() && stored[k] == word[k]) ++k;
        if (k < word.size()) continue;
        const size_t resultLength = static_cast<unsigned char>(entry[1]) | static_cast<size_t>(static_cast<unsigned char>(entry[2])) << 8;
        return std::string_view(stored + word.size(), resultLength);
    }
}

void WordMemo::Add(std::string_view word, std::uint64_t hash, std::string_view result, size_t maxWords)
{
    if (word.empty() || word.size() > kLongestWord || result.size() > 2 * kLongestWord) return;
    if (count_ >= maxWords ||
        bytes_.size() + kHeader + word.size() + result.size() >= std::numeric_limits<std::uint32_t>::max()) {
        slots_.clear();
        bytes_.clear();
        count_ = 0;
    }
    // At most half full, so that a probe ends soon.
    if (2 * (count_ + 1) > slots_.size()) Grow();
    const size_t mask = slots_.size() - 1;
    size_t i = static_cast<size_t>(hash) & mask;
    while (slots_[i].at != 0) i = (i + 1) & mask;
    slots_[i] = Slot{static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(bytes_.size() + 1)};
    bytes_ += static_cast<char>(word.size());
    bytes_ += static_cast<char>(result.size() & 0xFF);
    bytes_ += static_cast<char>(result.size() >> 8);
    bytes_.append(word);
    bytes_.append(result);
    ++count_;
}

void WordMemo::Grow()
{
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 1024 : old.size() * 2, Slot{});
    const size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.at == 0) continue;
        // The slot's place comes from the hash's low half, which is not kept: the word's own
        // hash is worked out again from the entry.
        const char* entry = bytes_.data() + slot.at - 1;
        const std::uint64_t hash = Hash(std::string_view(entry + kHeader, static_cast<unsigned char>(entry[0])));
        size_t i = static_cast<size_t>(hash) & mask;
        while (slots_[i].at != 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

bool ShortWordPoints::FindBehind(const Key& key, Slot& front, std::uint16_t& points)
{
    const size_t mask = slots_.size() - 1;
    for (size_t i = static_cast<size_t>(key.hash) & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.length == 0) return false;
        if (!slot.Holds(key)) continue;
        front = slot;
        points = slot.points;
        return true;
    }
}

void ShortWordPoints::Add(const Key& key, std::uint16_t points, size_t maxWords)
{
    if (key.length == 0 || key.length > kLongestWord) return;
    if (count_ >= maxWords) {
        slots_ = ZeroedTable<Slot>();
        count_ = 0;
    }
    if (slots_.empty()) front_ = ZeroedTable<Slot>(kFrontSlots);
    // At most three quarters full: most words are found in the front table, and the 32-byte
    // slots had better take little room beside the text being worked on. The table grows four
    // times over at once: each new table is fresh memory, paid for page by page.
    if (4 * (count_ + 1) > 3 * slots_.size()) {
        ZeroedTable<Slot> old = std::move(slots_);
        slots_ = ZeroedTable<Slot>(old.empty() ? 1024 : old.size() * 4);
        for (const Slot& slot : old) {
            if (slot.length == 0) continue;
            char word[2 * sizeof(std::uint64_t)];
            std::memcpy(word, &slot.low, sizeof slot.low);
            std::memcpy(word + sizeof slot.low, &slot.high, sizeof slot.high);
            Place(slot, KeyOf(std::string_view(word, slot.length)).hash);
        }
    }
    Place(Slot{key.low, key.high, points, static_cast<std::uint8_t>(key.length)}, key.hash);
    ++count_;
}

void ShortWordPoints::Place(const Slot& slot, std::uint64_t hash)
{
    const size_t mask = slots_.size() - 1;
    size_t i = static_cast<size_t>(hash) & mask;
    while (slots_[i].length != 0) i = (i + 1) & mask;
    slots_[i] = slot;
}

} // namespace lumira
