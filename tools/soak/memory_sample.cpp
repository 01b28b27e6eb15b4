#include "memory_sample.h"

#include <malloc.h>

#include <cstdio>
#include <cstring>

#include "diag/statistics.h"
#include "texture/texture_container.h"

namespace velmora::soak {

namespace {

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
    const struct mallinfo2 heap = mallinfo2();
    sample.heapInUse = static_cast<int64_t>(heap.uordblks + heap.hblkhd);
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

}  // namespace velmora::soak
