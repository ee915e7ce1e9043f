#include "formats/book_outline.h"

#include <algorithm>
#include <climits>
#include <unordered_map>

namespace lumira {

std::vector<OutlineEntry> ResolveOutline(const std::vector<OutlineWish>& wishes, const LayoutWriter& writer)
{
    std::unordered_map<std::string, std::uint64_t> lines;
    for (const auto& [name, line] : writer.Places()) lines.emplace(name, line);
    std::vector<OutlineEntry> out;
    for (const OutlineWish& wish : wishes) {
        const auto found = lines.find(wish.place);
        if (found == lines.end()) continue;
        // A title left empty lands on the line of the one after it, which names it.
        if (!out.empty() && out.back().line == found->second && out.back().label.empty() && wish.label.empty())
            out.pop_back();
        out.push_back({found->second, wish.level, wish.label});
    }
    int top = INT_MAX;
    for (const OutlineEntry& e : out) top = std::min(top, e.level);
    for (OutlineEntry& e : out) e.level -= top;
    return out;
}

} // namespace lumira
