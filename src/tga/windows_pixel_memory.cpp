#include <cstdlib>

#include "tga/pixel_memory.h"

namespace snapvale {

// Large pages on Windows need a privilege ordinary users lack; the allocator's own blocks serve.
void* AllocatePixels(std::size_t bytes) { return std::malloc(bytes); }

} // namespace snapvale
