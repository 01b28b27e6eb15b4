// The engine's memory counters: what the loaders have allocated, in bytes
// (and textures in number), as the closing log lines and the statistics report
// show them.
#pragma once

#include <cstdint>

extern int32_t textureMemoryCounter;
extern int32_t textureAllocationCounter;
extern int32_t animationMemoryCounter;
extern int32_t generalMemoryCounter;
extern int32_t fileMemoryCounter;

// Adds bytes, which may be negative, to one of the counters above; a sum
// past the 32-bit range stays at its end instead of wrapping. Freeing a scene
// or a texture gives nothing back, so those counters only grow; the file
// counter shrinks: MemClose takes back what its file added, and a data
// archive read anew takes back the old directory's bytes.
void CountMemory(int32_t* counter, int64_t bytes);
