#include <cstdlib>
#include <sys/mman.h>

#include "tga/pixel_memory.h"

namespace snapvale {

#if defined(MADV_HUGEPAGE)
namespace {

constexpr std::size_t kHugePage = std::size_t{ 2 } << 20;
// Below this a block stays on ordinary pages: rounding it up to a huge page would waste more.
constexpr std::size_t kHugeBlocksFrom = std::size_t{ 1 } << 20;

} // namespace

void* AllocatePixels(std::size_t bytes)
{
    if (bytes < kHugeBlocksFrom)
        return std::malloc(bytes);
    // Whole huge pages, aligned to them, so that every page of the block can be one.
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* block = std::aligned_alloc(kHugePage, rounded);
    if (block)
        ::madvise(block, rounded, MADV_HUGEPAGE); // only advice: ordinary pages serve as well
    return block;
}
#else
void* AllocatePixels(std::size_t bytes) { return std::malloc(bytes); }
#endif

} // namespace snapvale
