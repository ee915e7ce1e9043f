#include "formats/pattern_machine.h"

#include <algorithm>
#include <cstring>
#include <hyphen.h>

namespace lumira {

PatternMachine::Level::Level(const HyphenDict& level)
{
    fromStart_.fill(-1);
    states_.reserve(static_cast<size_t>(level.num_states));
    for (int s = 0; s < level.num_states; ++s) {
        const HyphenState& from = level.states[s];
        State state{};
        state.fallback = from.fallback_state;
        state.firstTransition = static_cast<std::uint32_t>(transitionBytes_.size());
        state.transitions = static_cast<std::uint32_t>(std::max(from.num_trans, 0));
        for (int t = 0; t < from.num_trans; ++t) {
            // The first transition for a byte is the one the walk takes.
            const auto byte = static_cast<unsigned char>(from.trans[t].ch);
            transitionBytes_.push_back(byte);
            transitionTargets_.push_back(from.trans[t].new_state);
            if (s == 0 && fromStart_[byte] == -1) fromStart_[byte] = from.trans[t].new_state;
        }
        state.match = static_cast<std::uint32_t>(digits_.size());
        if (from.match) {
            state.matchLength = static_cast<std::uint32_t>(std::strlen(from.match));
            digits_.insert(digits_.end(), from.match, from.match + state.matchLength);
        }
        state.replaces = from.repl != nullptr;
        states_.push_back(state);
    }
    dotLeaves_ = fromStart_['.'] != -1;  // digits are read as dots too
}

bool PatternMachine::Level::MayMatch(std::string_view word) const
{
    if (dotLeaves_) return true;
    for (const char c : word)
        if (fromStart_[static_cast<unsigned char>(c)] != -1) return true;
    return false;
}

bool PatternMachine::Level::Walk(std::string_view word, std::vector<char>& hyphens, std::string& prepared) const
{
    // The word between dots, digits read as dots.
    prepared.assign(1, '.');
    for (const char c : word) prepared += c >= '0' && c <= '9' ? '.' : c;
    prepared += '.';
    const size_t length = prepared.size();
    hyphens.assign(length + 3, '0');
    std::int32_t state = 0;
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(prepared[i]);
        for (;;) {
            if (state == -1) break;
            if (state == 0) {
                state = fromStart_[byte];
                if (state != -1) break;
                // State 0 falls back to -1: start again with the next byte, no match here.
                state = -1;
                break;
            }
            const State& at = states_[static_cast<size_t>(state)];
            const unsigned char* bytes = transitionBytes_.data() + at.firstTransition;
            const unsigned char* found = std::find(bytes, bytes + at.transitions, byte);
            if (found != bytes + at.transitions) {
                state = transitionTargets_[at.firstTransition + static_cast<size_t>(found - bytes)];
                break;
            }
            state = at.fallback;
        }
        if (state == -1) {
            state = 0;
            continue;
        }
        const State& reached = states_[static_cast<size_t>(state)];
        if (reached.replaces) return false;
        if (reached.matchLength == 0) continue;
        const auto offset = static_cast<std::ptrdiff_t>(i + 1) - static_cast<std::ptrdiff_t>(reached.matchLength);
        for (std::ptrdiff_t k = offset < 0 ? -offset : 0; k < static_cast<std::ptrdiff_t>(reached.matchLength); ++k) {
            const char digit = digits_[reached.match + static_cast<size_t>(k)];
            char& slot = hyphens[static_cast<size_t>(offset + k)];
            if (slot < digit) slot = digit;
        }
    }
    // From "before byte i of the dotted word" to "after character i of the word".
    const size_t size = word.size();
    for (size_t i = 0; i + 1 < size; ++i) hyphens[i] = hyphens[i + 1];
    if (size > 0) hyphens[size - 1] = '0';
    return true;
}

PatternMachine::PatternMachine(const HyphenDict& dict)
{
    // Two levels, as libhyphen always makes: the compound level and the next, which has none.
    if (!dict.nextlevel || dict.nextlevel->nextlevel) return;
    utf8_ = dict.utf8 != 0;
    leftMinimum_ = dict.lhmin;
    rightMinimum_ = dict.rhmin;
    if (dict.nohyphen) {
        const char* entry = dict.nohyphen;
        for (int i = 0; i <= dict.nohyphenl; ++i) {
            neverSplit_.emplace_back(entry);
            entry += std::strlen(entry) + 1;
        }
    }
    levels_.emplace_back(dict);
    levels_.emplace_back(*dict.nextlevel);
    // State 0 falls back nowhere, as libhyphen makes it; the walk counts on that.
    usable_ = levels_[0].StartsWell() && levels_[1].StartsWell();
}

bool PatternMachine::Hyphens(std::string_view word, int minimum, std::vector<char>& hyphens, std::string& scratch) const
{
    const size_t size = word.size();
    if (!usable_ || size == 0) return false;
    // Ligatures and text that is not UTF-8 have rules of their own in libhyphen.
    if (utf8_ && (word.find('\xEF') != std::string_view::npos || (static_cast<unsigned char>(word[0]) >> 6) == 2)) return false;
    // A point from the compound level splits the word into parts each hyphenated on its own.
    if (levels_[0].MayMatch(word)) {
        if (!levels_[0].Walk(word, hyphens, scratch)) return false;
        for (size_t i = 0; i < size; ++i)
            if (hyphens[i] & 1) return false;
    }
    if (!levels_[1].Walk(word, hyphens, scratch)) return false;
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };

    // The fewest characters kept on the left: the first ones lose their points.
    const int left = std::max(minimum, leftMinimum_);
    int counted = 1;
    for (size_t j = 0; j < size && isDigit(word[j]); ++j) --counted;
    for (size_t j = 0; counted < left && j < size; ++counted) {
        do {
            hyphens[j] = '0';
            ++j;
        } while (j < size && utf8_ && (static_cast<unsigned char>(word[j]) & 0xC0) == 0x80);
    }
    // And on the right.
    const int right = std::max(minimum, rightMinimum_);
    counted = 0;
    for (size_t j = size - 1; j > 0 && isDigit(word[j]); --j) --counted;
    for (size_t j = size - 1; counted < right && j > 0; --j) {
        hyphens[j] = '0';
        const auto byte = static_cast<unsigned char>(word[j]);
        if (!utf8_ || (byte & 0xC0) == 0xC0 || (byte & 0x80) != 0x80) ++counted;
    }
    // Never between or beside the listed sequences.
    for (const std::string& sequence : neverSplit_) {
        if (sequence.empty()) continue;
        for (size_t at = word.find(sequence); at != std::string_view::npos; at = word.find(sequence, at + 1)) {
            hyphens[at + sequence.size() - 1] = '0';
            if (at > 0) hyphens[at - 1] = '0';
        }
    }
    // Bytes to characters: each character takes its last byte's value.
    if (utf8_) {
        size_t character = 0;
        for (size_t i = 0; i < size; ++i) {
            if (i > 0 && (static_cast<unsigned char>(word[i]) >> 6) != 2) ++character;
            hyphens[character] = hyphens[i];
        }
    }
    return true;
}

} // namespace lumira
