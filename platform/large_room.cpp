#include "platform/large_room.h"

#include <cstdlib>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace lumira {

namespace {

constexpr size_t kHugePage = size_t{2} << 20;
// Smaller room is aligned to a cache line, which suits any table entry.
constexpr size_t kLine = 64;

} // namespace

LargeRoom::LargeRoom(size_t bytes)
{
    if (bytes == 0) return;
    // From half a huge page up, a whole one: a few hundred faults saved for some unused room.
    const size_t alignment = bytes >= kHugePage / 2 ? kHugePage : kLine;
    const size_t rounded = (bytes + alignment - 1) / alignment * alignment;
    data_ = std::aligned_alloc(alignment, rounded);
    if (!data_) throw std::bad_alloc();
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    // Only advice: without huge pages the room is backed by ordinary ones.
    if (alignment == kHugePage) ::madvise(data_, rounded, MADV_HUGEPAGE);
#endif
}

LargeRoom::~LargeRoom()
{
    std::free(data_);
}

} // namespace lumira
