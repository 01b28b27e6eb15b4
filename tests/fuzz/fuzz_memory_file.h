// A MemoryFile over fuzz input, allocated as OpenDataFile allocates one, so
// that MemClose releases it.
#pragma once

#include <cstdlib>
#include <cstring>

#include "data/memory_file.h"
#include "diag/memory_counters.h"

namespace velmora::fuzzing {

inline MemoryFile* NewFuzzFile(const char* name, const uint8_t* data, size_t size) {
    MemoryFile* file = static_cast<MemoryFile*>(std::malloc(sizeof(MemoryFile)));
    file->name = strdup(name);
    file->size = static_cast<int32_t>(size);
    file->position = 0;
    file->data = static_cast<uint8_t*>(std::malloc(size > 0 ? size : 1));
    if (size > 0) std::memcpy(file->data, data, size);
    return file;
}

// The counters only grow; millions of runs would carry them past 32 bits.
inline void ResetMemoryCounters() {
    textureMemoryCounter = textureAllocationCounter = animationMemoryCounter = 0;
    generalMemoryCounter = fileMemoryCounter = 0;
}

}  // namespace velmora::fuzzing
