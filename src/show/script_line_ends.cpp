#include "show/script_line_ends.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "diag/memory_counters.h"

void ExpandLineFeeds(MemoryFile* file) {
    if (!file || file->size <= 0) return;
    const uint8_t* data = file->data;
    if (std::memchr(data, '\r', static_cast<size_t>(file->size))) return;
    int64_t feeds = 0;
    for (int32_t i = 0; i < file->size; ++i) feeds += data[i] == '\n';
    const int64_t size = file->size + feeds;
    if (feeds == 0 || size > INT32_MAX) return;
    uint8_t* wider = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size)));
    if (!wider) return;
    int64_t out = 0;
    for (int32_t i = 0; i < file->size; ++i) {
        if (data[i] == '\n') wider[out++] = '\r';
        wider[out++] = data[i];
    }
    std::free(file->data);
    file->data = wider;
    file->size = static_cast<int32_t>(size);
    CountMemory(&fileMemoryCounter, feeds);
}
