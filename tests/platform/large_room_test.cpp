#include "platform/large_room.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace lumira {

// A cleared table starts all zero whichever way its room is had (the heap, huge pages), keeps
// what is written through a move, leaving the table moved from empty, and gives its room back:
// tables of every size made, filled, moved and dropped over and over.
TEST(ZeroedTable, StartsClearedAtEverySizeAndKeepsItsEntriesThroughAMove)
{
    for (int round = 0; round < 3; ++round) {
        for (const size_t count : {size_t{1}, size_t{1000}, size_t{16} << 10, (size_t{64} << 10) - 1, size_t{300} << 10,
                                   (size_t{1} << 19) + 3, size_t{1} << 20, size_t{3} << 20}) {
            ZeroedTable<std::uint32_t> table(count);
            ASSERT_EQ(table.size(), count);
            ASSERT_TRUE(std::all_of(table.begin(), table.end(), [](std::uint32_t v) { return v == 0; })) << count;
            for (size_t i = 0; i < count; i += 97) table[i] = static_cast<std::uint32_t>(i + 1);
            ZeroedTable<std::uint32_t> moved = std::move(table);
            EXPECT_TRUE(table.empty());
            for (size_t i = 0; i < count; ++i) ASSERT_EQ(moved[i], i % 97 == 0 ? i + 1 : 0) << count << " " << i;
            table = std::move(moved);
            EXPECT_EQ(table[0], 1u);
        }
    }
}

} // namespace lumira
