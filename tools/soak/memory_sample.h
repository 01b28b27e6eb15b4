// What the soak reads after every show minute: the process's resident memory
// and heap in use, the textures the cache still holds, and the engine's
// memory counters.
#pragma once

#include <cstdint>

namespace velmora::tools {

struct MemorySample {
    int64_t residentKb = -1;   // VmRSS of /proc/self/status; -1 when unreadable
    int64_t heapInUse = 0;     // bytes malloc has handed out and not had back
    int32_t liveTextures = 0;  // textures in the cache
    int64_t liveTextureBytes = 0;  // their pixels, width x height x 4 each
    // The engine's counters: totals of what was ever allocated, except the
    // file counter, which MemClose lowers again.
    int32_t texture = 0;
    int32_t animation = 0;
    int32_t general = 0;
    int32_t file = 0;
    int32_t textureCount = 0;
};

MemorySample SampleMemory();

}  // namespace velmora::tools
