// The program's new and delete: every block is zeroed as it is freed (see wiped_heap.h), the
// standard library's strings and vectors included.
#include <new>

#include "wiped_heap.h"

namespace {

void* allocated(std::size_t size) noexcept {
    return std::malloc(size ? size : 1);
}

void* aligned(std::size_t size, std::align_val_t alignment) noexcept {
    const auto a = static_cast<std::size_t>(alignment);
    return std::aligned_alloc(a, (size + a - 1) / a * a);
}

template <typename Block>
Block* orThrow(Block* block) {
    if (!block) throw std::bad_alloc();
    return block;
}

}  // namespace

void* operator new(std::size_t n) {
    return orThrow(allocated(n));
}
void* operator new[](std::size_t n) {
    return orThrow(allocated(n));
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return allocated(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return allocated(n);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return orThrow(aligned(n, a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return orThrow(aligned(n, a));
}
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return aligned(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
    return aligned(n, a);
}

void operator delete(void* p) noexcept {
    verrimo::wipedFree(p);
}
void operator delete[](void* p) noexcept {
    verrimo::wipedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    verrimo::wipedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    verrimo::wipedFree(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    verrimo::wipedFree(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    verrimo::wipedFree(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    verrimo::wipedFree(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    verrimo::wipedFree(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    verrimo::wipedFree(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    verrimo::wipedFree(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    verrimo::wipedFree(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    verrimo::wipedFree(p);
}
