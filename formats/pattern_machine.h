#pragma once
// A hyphenation dictionary's pattern machine, as libhyphen parses it, walked without libhyphen's
// per-word costs (its allocations, the string scans for each match, the list of sequences never
// split searched in every word): the same states, transitions and matches, laid out for lookups,
// and the same rules applied after. It answers for the words it can answer exactly — those no
// compound-level point, replacement rule or ligature touches — and leaves the rest to libhyphen.
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
    // must be asked instead (the machine then leaves `hyphens` undefined). `scratch` is the
    // caller's room for the walk: one machine serves every thread.
    bool Hyphens(std::string_view word, int minimum, std::vector<char>& hyphens, std::string& scratch) const;

private:
    // One level of patterns.
    class Level {
    public:
        explicit Level(const _HyphenDict& level);
        // hnj_hyphen_hyph_'s walk: the levels' digits for `word` shifted to "after character i",
        // into hyphens[0..size); false when a state with a replacement rule is reached.
        bool Walk(std::string_view word, std::vector<char>& hyphens, std::string& prepared) const;
        bool StartsWell() const { return startsWell_; }
        // Whether the level can reach any state but the first on `word`: else it finds nothing.
        bool MayMatch(std::string_view word) const;

    private:
        // Each state is one node in nodes_, so that a step of the walk reads one cache line or
        // two: its fallback (a node, or -1), a word of counts (transitions in the low byte, a
        // replacement rule in the next, the match's digits that raise a point above), their
        // place in digits_, the transitions' bytes four to a word, and their target nodes.
        static constexpr std::uint32_t kHeader = 3;
        std::uint32_t Transitions(std::uint32_t node) const { return nodes_[node + 1] & 0xFF; }
        bool Replaces(std::uint32_t node) const { return (nodes_[node + 1] >> 8 & 0xFF) != 0; }
        std::uint32_t Raised(std::uint32_t node) const { return nodes_[node + 1] >> 16; }

        std::vector<std::uint32_t> nodes_;
        std::vector<char> digits_;  // pairs: how many bytes back from the last one, the digit
        std::array<std::int32_t, 256> fromStart_;  // the first state's transitions by byte; -1: none
        bool startsWell_ = false;
        bool dotLeaves_ = false;  // the dots around the word lead out of the first state
    };

    bool usable_ = false;
    bool utf8_ = false;
    int leftMinimum_ = 0;
    int rightMinimum_ = 0;
    std::vector<std::string> neverSplit_;
    std::vector<Level> levels_;  // the first level (compound words) and the next
};

} // namespace lumira
