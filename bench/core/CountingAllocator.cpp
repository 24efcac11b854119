#include "CountingAllocator.h"

#include <cstdlib>
#include <malloc.h>
#include <new>

// The benchmarks run on one thread; plain counters keep the counting cheap enough not to distort
// the timings. Sizes are what malloc really handed out (malloc_usable_size), so rounding counts.

namespace {

std::size_t live = 0;
std::size_t peak = 0;

void* allocate(std::size_t size, std::size_t alignment) {
    if (size == 0) {
        size = 1;
    }
    void* p = alignment > alignof(std::max_align_t)
                  ? std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment)
                  : std::malloc(size);
    if (p == nullptr) {
        throw std::bad_alloc();
    }
    live += malloc_usable_size(p);
    if (live > peak) {
        peak = live;
    }
    return p;
}

void release(void* p) noexcept {
    if (p != nullptr) {
        live -= malloc_usable_size(p);
        std::free(p);
    }
}

} // namespace

namespace vornak::bench {

std::size_t liveHeapBytes() {
    return live;
}

std::size_t peakHeapBytes() {
    return peak;
}

void resetPeakHeapBytes() {
    peak = live;
}

} // namespace vornak::bench

void* operator new(std::size_t size) {
    return allocate(size, 0);
}
void* operator new[](std::size_t size) {
    return allocate(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocate(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size, 0);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
