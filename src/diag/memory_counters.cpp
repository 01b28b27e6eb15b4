#include "diag/memory_counters.h"

int32_t textureMemoryCounter = 0;
int32_t textureAllocationCounter = 0;
int32_t animationMemoryCounter = 0;
int32_t generalMemoryCounter = 0;
int32_t fileMemoryCounter = 0;

void CountMemory(int32_t* counter, int64_t bytes) {
    int64_t sum = static_cast<int64_t>(*counter) + bytes;
    if (sum > INT32_MAX) sum = INT32_MAX;
    if (sum < INT32_MIN) sum = INT32_MIN;
    *counter = static_cast<int32_t>(sum);
}
