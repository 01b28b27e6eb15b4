#include "memory_sample.h"

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
#define VELMORA_SOAK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELMORA_SOAK_ASAN 1
#endif
#endif
#ifdef VELMORA_SOAK_ASAN
// The sanitizer runtime's own figure (not every compiler ships its header).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include <cstddef>
#include <cstdio>
#include <cstring>

#include "diag/memory_counters.h"
#include "texture/texture_container.h"

namespace velmora::tools {

namespace {

// The sanitizer's allocator takes malloc's place and tells its own figure.
int64_t HeapInUse() {
#ifdef VELMORA_SOAK_ASAN
    return static_cast<int64_t>(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 heap = mallinfo2();
    return static_cast<int64_t>(heap.uordblks + heap.hblkhd);
#endif
}

int64_t ResidentKb() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status) return -1;
    char line[256];
    long long kb = -1;
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmRSS:", 6) == 0 && std::sscanf(line + 6, "%lld", &kb) == 1) break;
    std::fclose(status);
    return kb;
}

}  // namespace

MemorySample SampleMemory() {
    MemorySample sample;
    sample.residentKb = ResidentKb();
    sample.heapInUse = HeapInUse();
    for (const TextureContainer* t = textureList; t; t = t->pNext) {
        ++sample.liveTextures;
        if (t->pPixels) sample.liveTextureBytes += static_cast<int64_t>(t->dwWidth) * t->dwHeight * 4;
    }
    sample.texture = textureMemoryCounter;
    sample.animation = animationMemoryCounter;
    sample.general = generalMemoryCounter;
    sample.file = fileMemoryCounter;
    sample.textureCount = textureAllocationCounter;
    return sample;
}

}  // namespace velmora::tools
