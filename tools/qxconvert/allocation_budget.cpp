// Replaces the global operator new and delete of the program that links it,
// counting what is held through malloc_usable_size.
#include "qxconvert/allocation_budget.h"

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace velmora::tools {
namespace {

std::atomic<uint64_t> held{0};
std::atomic<uint64_t> limit{0};  // 0: no cap

void* Allocate(size_t size, size_t alignment, bool nothrow) {
    uint64_t cap = limit.load(std::memory_order_relaxed);
    if (cap != 0 && held.load(std::memory_order_relaxed) + size > cap) {
        if (nothrow) return nullptr;
        throw std::bad_alloc();
    }
    void* memory = nullptr;
    if (alignment <= alignof(std::max_align_t)) {
        memory = std::malloc(size ? size : 1);
    } else if (posix_memalign(&memory, alignment, size ? size : 1) != 0) {
        memory = nullptr;
    }
    if (!memory) {
        if (nothrow) return nullptr;
        throw std::bad_alloc();
    }
    held.fetch_add(malloc_usable_size(memory), std::memory_order_relaxed);
    return memory;
}

void Release(void* memory) {
    if (!memory) return;
    held.fetch_sub(malloc_usable_size(memory), std::memory_order_relaxed);
    std::free(memory);
}

}  // namespace

void SetAllocationBudget(uint64_t bytes) {
    limit.store(bytes ? held.load() + bytes : 0);
}

uint64_t AllocatedBytes() { return held.load(); }

}  // namespace velmora::tools

using velmora::tools::Allocate;
using velmora::tools::Release;

void* operator new(size_t size) { return Allocate(size, 0, false); }
void* operator new[](size_t size) { return Allocate(size, 0, false); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size, 0, true); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size, 0, true); }
void* operator new(size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<size_t>(alignment), false);
}
void* operator new[](size_t size, std::align_val_t alignment) {
    return Allocate(size, static_cast<size_t>(alignment), false);
}
void* operator new(size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<size_t>(alignment), true);
}
void* operator new[](size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return Allocate(size, static_cast<size_t>(alignment), true);
}
void operator delete(void* memory) noexcept { Release(memory); }
void operator delete[](void* memory) noexcept { Release(memory); }
void operator delete(void* memory, size_t) noexcept { Release(memory); }
void operator delete[](void* memory, size_t) noexcept { Release(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { Release(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { Release(memory); }
void operator delete(void* memory, std::align_val_t) noexcept { Release(memory); }
void operator delete[](void* memory, std::align_val_t) noexcept { Release(memory); }
void operator delete(void* memory, size_t, std::align_val_t) noexcept { Release(memory); }
void operator delete[](void* memory, size_t, std::align_val_t) noexcept { Release(memory); }
void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept { Release(memory); }
void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept { Release(memory); }
