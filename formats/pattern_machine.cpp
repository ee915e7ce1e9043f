#include "formats/pattern_machine.h"

#include <algorithm>
#include <cstring>
#include <hyphen.h>

namespace lumira {

PatternMachine::Level::Level(const HyphenDict& level)
{
    const int count = level.num_states;
    if (count <= 0 || static_cast<std::uint32_t>(count) >= kActs) return;
    const auto valid = [count](int state) { return state >= 0 && state < count; };
    // A class for each byte some transition takes; digits are read as dots.
    for (int s = 0; s < count; ++s)
        for (int t = 0; t < level.states[s].num_trans; ++t) {
            const auto byte = static_cast<unsigned char>(level.states[s].trans[t].ch);
            if (classOf_[byte] == 0 && byte >= 1) classOf_[byte] = static_cast<std::uint8_t>(classes_++);
        }
    for (unsigned char digit = '0'; digit <= '9'; ++digit) classOf_[digit] = classOf_['.'];

    // The states the walk can reach, numbered in order of their depth: the few shallow ones
    // every word passes through lie together, and a state's fallback (a shorter string) comes
    // before it, so that its row is there to start the state's own from.
    std::vector<int> order{0};
    std::vector<std::uint32_t> number(static_cast<size_t>(count), 0);  // 0: not reached (but for the first)
    for (size_t k = 0; k < order.size(); ++k) {
        const HyphenState& from = level.states[order[k]];
        for (int t = 0; t < from.num_trans; ++t) {
            const int to = from.trans[t].new_state;
            if (!valid(to)) continue;
            if (to == 0) return;  // the first state reached again: no machine libhyphen makes
            if (number[static_cast<size_t>(to)] == 0) {
                number[static_cast<size_t>(to)] = static_cast<std::uint32_t>(order.size());
                order.push_back(to);
            }
        }
    }
    const size_t reached = order.size();
    states_.resize(reached);
    for (size_t n = 0; n < reached; ++n) {
        const HyphenState& from = level.states[order[n]];
        // The match's digits but its zeros (the points start at zero and a digit only raises
        // them), each with how far before the state's last byte it stands.
        const size_t matchLength = from.match ? std::strlen(from.match) : 0;
        if (matchLength > 256) return;
        State& state = states_[n];
        state.digits = static_cast<std::uint32_t>(digits_.size());
        for (size_t k = 0; k < matchLength; ++k) {
            if (from.match[k] == '0') continue;
            digits_.push_back(static_cast<char>(matchLength - 1 - k));
            digits_.push_back(from.match[k]);
        }
        state.raised = static_cast<std::uint16_t>((digits_.size() - state.digits) / 2);
        state.replaces = from.repl != nullptr;
    }

    // A state's row is its fallback's with its own transitions over it; falling off the machine
    // (no fallback) leaves it at 0. The first state falls back nowhere: its row is its own
    // transitions alone. Each row is written whole, so the room need not be cleared first.
    next_ = LargeRoom(reached * classes_ * sizeof(std::uint32_t));
    std::vector<int> own(classes_, -1);  // the state whose transition set a class's next state
    for (size_t n = 0; n < reached; ++n) {
        const HyphenState& from = level.states[order[n]];
        std::uint32_t* row = Row(static_cast<std::uint32_t>(n));
        const int fallback = from.fallback_state;
        if (n != 0 && valid(fallback)) {
            const std::uint32_t before = number[static_cast<size_t>(fallback)];
            if ((before == 0 && fallback != 0) || before >= n) return;  // no shorter string: not libhyphen's
            std::memcpy(row, Row(before), classes_ * sizeof *row);
        } else {
            std::memset(row, 0, classes_ * sizeof *row);
        }
        for (int t = 0; t < from.num_trans; ++t) {
            const std::uint8_t c = classOf_[static_cast<unsigned char>(from.trans[t].ch)];
            // The first transition for a byte is the one the walk takes.
            if (c == 0 || own[c] == static_cast<int>(n)) continue;
            own[c] = static_cast<int>(n);
            const int to = from.trans[t].new_state;
            if (!valid(to)) {
                row[c] = 0;
                continue;
            }
            const std::uint32_t target = number[static_cast<size_t>(to)];
            row[c] = target | (states_[target].raised != 0 || states_[target].replaces ? kActs : 0);
        }
    }
    startsWell_ = level.states[0].fallback_state == -1;
}

bool PatternMachine::Level::MayMatch(std::string_view word) const
{
    if (Next(0, '.') != 0) return true;  // the dots around the word lead on
    for (const char c : word)
        if (Next(0, static_cast<unsigned char>(c)) != 0) return true;
    return false;
}

bool PatternMachine::Level::Walk(std::string_view word, std::vector<char>& hyphens) const
{
    // The word between dots; hyphens[i] is first the value before byte i of the dotted word.
    const size_t length = word.size() + 2;
    hyphens.assign(length + 3, '0');
    std::uint32_t state = 0;
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(i == 0 || i + 1 == length ? '.' : word[i - 1]);
        const std::uint32_t next = Next(state, byte);
        state = next & ~kActs;
        if (!(next & kActs)) continue;
        const State& reached = states_[state];
        if (reached.replaces) return false;
        const char* digits = digits_.data() + reached.digits;
        for (std::uint32_t k = 0; k < reached.raised; ++k) {
            const auto back = static_cast<unsigned char>(digits[2 * k]);
            if (back > i) continue;
            char& slot = hyphens[i - back];
            if (slot < digits[2 * k + 1]) slot = digits[2 * k + 1];
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

bool PatternMachine::Hyphens(std::string_view word, int minimum, std::vector<char>& hyphens) const
{
    const size_t size = word.size();
    if (!usable_ || size == 0) return false;
    // Ligatures and text that is not UTF-8 have rules of their own in libhyphen.
    if (utf8_ && (word.find('\xEF') != std::string_view::npos || (static_cast<unsigned char>(word[0]) >> 6) == 2)) return false;
    // A point from the compound level splits the word into parts each hyphenated on its own.
    if (levels_[0].MayMatch(word)) {
        if (!levels_[0].Walk(word, hyphens)) return false;
        for (size_t i = 0; i < size; ++i)
            if (hyphens[i] & 1) return false;
    }
    if (!levels_[1].Walk(word, hyphens)) return false;
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
