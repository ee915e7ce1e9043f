#pragma once
// A hyphenation dictionary's pattern machine, as libhyphen parses it, walked without libhyphen's
// per-word costs (its allocations, the string scans for each match, the list of sequences never
// split searched in every word): the same states, transitions and matches, laid out for lookups,
// and the same rules applied after. It answers for the words it can answer exactly — those no
// compound-level point, replacement rule or ligature touches — and leaves the rest to libhyphen.
#include "platform/large_room.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct _HyphenDict;

namespace lumira {

class PatternMachine {
public:
    // From a dictionary libhyphen loaded (its first level and the next).
    explicit PatternMachine(const _HyphenDict& dict);

    // What hnj_hyphen_hyphenate3 gives for `word` (in the dictionary's encoding) with all four
    // minima `minimum`: hyphens[i] odd for a point after character i. False where libhyphen
    // must be asked instead (the machine then leaves `hyphens` undefined). One machine serves
    // every thread.
    bool Hyphens(std::string_view word, int minimum, std::vector<char>& hyphens) const;

private:
    // One level of patterns.
    class Level {
    public:
        explicit Level(const _HyphenDict& level);
        // hnj_hyphen_hyph_'s walk: the levels' digits for `word` shifted to "after character i",
        // into hyphens[0..size); false when a state with a replacement rule is reached.
        bool Walk(std::string_view word, std::vector<char>& hyphens) const;
        bool StartsWell() const { return startsWell_; }
        // Whether the level can reach any state but the first on `word`: else it finds nothing.
        bool MayMatch(std::string_view word) const;

    private:
        // The walk goes by a table of every state's next state for every byte class: the first
        // matching transition of the state or, failing that, of its fallbacks in turn, worked out
        // once, so that a step is one lookup. Bytes no transition takes are class 0, and next
        // state 0 is the first state reached by falling off the machine, where nothing matches.
        // A next state with a match or a replacement rule has kActs set beside its number, so
        // that the states the walk only passes through are not looked up.
        static constexpr std::uint32_t kActs = 1u << 31;
        struct State {
            std::uint32_t digits = 0;  // its match's first in digits_
            std::uint16_t raised = 0;  // how many of its match's digits raise a point
            bool replaces = false;     // it has a replacement rule
        };
        std::uint32_t Next(std::uint32_t state, unsigned char byte) const { return Row(state)[classOf_[byte]]; }
        std::uint32_t* Row(std::uint32_t state) const
        {
            return reinterpret_cast<std::uint32_t*>(next_.Data()) + static_cast<size_t>(state) * classes_;
        }

        std::array<std::uint8_t, 256> classOf_{};
        std::uint32_t classes_ = 1;
        LargeRoom next_;  // the rows, megabytes: on huge pages where the system has them
        std::vector<State> states_;
        std::vector<char> digits_;  // pairs: how many bytes back from the last one, the digit
        bool startsWell_ = false;
    };

    bool usable_ = false;
    bool utf8_ = false;
    int leftMinimum_ = 0;
    int rightMinimum_ = 0;
    std::vector<std::string> neverSplit_;
    std::vector<Level> levels_;  // the first level (compound words) and the next
};

} // namespace lumira
