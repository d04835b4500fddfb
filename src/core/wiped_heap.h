// Heap blocks zeroed before they go back, so that a password that passed through a buffer that
// grew or was freed is not left in memory that the next allocation, or a core dump, may show.
#pragma once

#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace verrimo {

inline void wipedFree(void* block) noexcept {
    if (!block) return;
    explicit_bzero(block, malloc_usable_size(block));
    std::free(block);
}

// realloc that never leaves the old block's bytes behind.
inline void* wipedRealloc(void* block, std::size_t size) noexcept {
    if (!block) return std::malloc(size);
    const std::size_t had = malloc_usable_size(block);
    if (size <= had) return block;
    void* moved = std::malloc(size);
    if (!moved) return nullptr;
    std::memcpy(moved, block, had);
    wipedFree(block);
    return moved;
}

}  // namespace verrimo
