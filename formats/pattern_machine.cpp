#include "formats/pattern_machine.h"

#include <algorithm>
#include <cstring>
#include <hyphen.h>

namespace lumira {

PatternMachine::Level::Level(const HyphenDict& level)
{
    fromStart_.fill(-1);
    if (level.num_states <= 0) return;
    // Where each state's node lies; a state with more than 255 transitions is more than the
    // nodes hold (no dictionary has one: the states are spelt by letters).
    std::vector<std::uint32_t> nodeOf(static_cast<size_t>(level.num_states));
    std::uint32_t size = 0;
    for (int s = 0; s < level.num_states; ++s) {
        const int transitions = level.states[s].num_trans;
        if (transitions < 0 || transitions > 255) return;
        nodeOf[static_cast<size_t>(s)] = size;
        size += kHeader + static_cast<std::uint32_t>((transitions + 3) / 4 + transitions);
    }
    const auto node = [&](int state) { return state < 0 || state >= level.num_states ? -1 : static_cast<std::int32_t>(nodeOf[static_cast<size_t>(state)]); };
    nodes_.assign(size, 0);
    for (int s = 0; s < level.num_states; ++s) {
        const HyphenState& from = level.states[s];
        std::uint32_t* at = nodes_.data() + nodeOf[static_cast<size_t>(s)];
        at[0] = static_cast<std::uint32_t>(node(from.fallback_state));
        // The match's digits but its zeros (the points start at zero and a digit only raises
        // them), each with how far before the state's last byte it stands.
        const size_t matchLength = from.match ? std::strlen(from.match) : 0;
        if (matchLength > 256) return;
        const auto first = static_cast<std::uint32_t>(digits_.size());
        for (size_t k = 0; k < matchLength; ++k) {
            if (from.match[k] == '0') continue;
            digits_.push_back(static_cast<char>(matchLength - 1 - k));
            digits_.push_back(from.match[k]);
        }
        const std::uint32_t raised = (static_cast<std::uint32_t>(digits_.size()) - first) / 2;
        at[1] = static_cast<std::uint32_t>(from.num_trans) | (from.repl ? 1u : 0u) << 8 | raised << 16;
        at[2] = first;
        auto* bytes = reinterpret_cast<unsigned char*>(at + kHeader);
        std::uint32_t* targets = at + kHeader + (from.num_trans + 3) / 4;
        for (int t = 0; t < from.num_trans; ++t) {
            const auto byte = static_cast<unsigned char>(from.trans[t].ch);
            bytes[t] = byte;
            targets[t] = static_cast<std::uint32_t>(node(from.trans[t].new_state));
            // The first transition for a byte is the one the walk takes.
            if (s == 0 && fromStart_[byte] == -1) fromStart_[byte] = node(from.trans[t].new_state);
        }
    }
    startsWell_ = level.states[0].fallback_state == -1;
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
    // Node 0 is the first state's; -1 is nowhere, where the walk starts again at the next byte.
    std::int32_t state = 0;
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(prepared[i]);
        while (state > 0) {
            const auto node = static_cast<std::uint32_t>(state);
            const std::uint32_t transitions = Transitions(node);
            const auto* bytes = reinterpret_cast<const unsigned char*>(nodes_.data() + node + kHeader);
            const unsigned char* found = std::find(bytes, bytes + transitions, byte);
            if (found != bytes + transitions) {
                state = static_cast<std::int32_t>(nodes_[node + kHeader + (transitions + 3) / 4 + static_cast<std::uint32_t>(found - bytes)]);
                break;
            }
            state = static_cast<std::int32_t>(nodes_[node]);
        }
        // From the first state: its own transition, else nowhere (its fallback).
        if (state == 0) state = fromStart_[byte];
        if (state == -1) {
            state = 0;
            continue;
        }
        const auto reached = static_cast<std::uint32_t>(state);
        if (Replaces(reached)) return false;
        const std::uint32_t raised = Raised(reached);
        const char* digits = digits_.data() + nodes_[reached + 2];
        for (std::uint32_t k = 0; k < raised; ++k) {
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
