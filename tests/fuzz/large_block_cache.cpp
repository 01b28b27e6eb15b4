// The allocation functions of one fuzz target: blocks of 128 KB and more are
// kept for reuse instead of handed back. Under the address sanitizer every
// block that large is a mapping of its own whose pages fault in one by one;
// libopenmpt makes its player of about 2 MB anew for every module, and those
// faults took most of each run. Smaller blocks, and every block's redzones
// and poisoning, stay the sanitizer's.
#include <atomic>
#include <cstdlib>
#include <new>

#include <sanitizer/asan_interface.h>

namespace {

constexpr std::size_t kLargeBlock = 128 * 1024;
constexpr int kSlots = 64;
// What the kept blocks may hold together: a module that asks for huge blocks
// must not make the target look as if it ran out of memory.
constexpr std::size_t kKeptBytes = 64 * 1024 * 1024;

struct Block {
    void* address = nullptr;
    std::size_t size = 0;
};

Block live[kSlots];  // large blocks handed out
Block kept[kSlots];  // large blocks given back, waiting for reuse
std::size_t keptBytes = 0;
// libFuzzer's own threads allocate too, if seldom in large blocks.
std::atomic_flag busy = ATOMIC_FLAG_INIT;

struct Guard {
    Guard() {
        while (busy.test_and_set(std::memory_order_acquire)) {
        }
    }
    ~Guard() { busy.clear(std::memory_order_release); }
};

bool Remember(Block* table, void* address, std::size_t size) {
    for (int i = 0; i < kSlots; ++i)
        if (!table[i].address) {
            table[i] = {address, size};
            return true;
        }
    return false;
}

void* Allocate(std::size_t size) {
    if (size == 0) size = 1;
    if (size < kLargeBlock) return std::malloc(size);
    Guard guard;
    for (Block& block : kept)
        if (block.address && block.size == size) {
            void* address = block.address;
            block = {};
            keptBytes -= size;
            ASAN_UNPOISON_MEMORY_REGION(address, size);
            Remember(live, address, size);
            return address;
        }
    void* address = std::malloc(size);
    // A block the full table cannot remember is freed as any other.
    if (address) Remember(live, address, size);
    return address;
}

void Release(void* address) {
    if (!address) return;
    {
        Guard guard;
        for (Block& block : live)
            if (block.address == address) {
                std::size_t size = block.size;
                block = {};
                if (keptBytes + size <= kKeptBytes && Remember(kept, address, size)) {
                    keptBytes += size;
                    // A use after this release is still reported.
                    ASAN_POISON_MEMORY_REGION(address, size);
                    return;
                }
                break;
            }
    }
    std::free(address);
}

}  // namespace

void* operator new(std::size_t size) {
    if (void* address = Allocate(size)) return address;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* address) noexcept { Release(address); }
void operator delete[](void* address) noexcept { Release(address); }
void operator delete(void* address, std::size_t) noexcept { Release(address); }
void operator delete[](void* address, std::size_t) noexcept { Release(address); }
void operator delete(void* address, const std::nothrow_t&) noexcept { Release(address); }
void operator delete[](void* address, const std::nothrow_t&) noexcept { Release(address); }
