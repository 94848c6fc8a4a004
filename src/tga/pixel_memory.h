#pragma once

// Memory for a picture's pixels, from the system's own allocator in the way that suits it best.

#include <cstddef>

namespace snapvale {

// A block of `bytes` bytes for pixels, released with std::free; null when there is no memory.
void* AllocatePixels(std::size_t bytes);

} // namespace snapvale
