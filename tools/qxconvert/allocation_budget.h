// A cap on the memory the process holds while a source is read: a few bytes
// claiming billions of vertices make some of the import library's readers
// allocate until the machine runs dry. Past the cap, operator new throws
// std::bad_alloc, which the import turns into a refusal.
#pragma once

#include <cstdint>

namespace velmora::tools {

// Starts counting against a cap of the given bytes above what is held now;
// 0 ends the cap.
void SetAllocationBudget(uint64_t bytes);
// Bytes handed out by operator new and not yet given back.
uint64_t AllocatedBytes();

}  // namespace velmora::tools
