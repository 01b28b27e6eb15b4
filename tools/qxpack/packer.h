// The archive's block packer: turns bytes into one packed block that
// DecompressData unpacks, choosing its codes by their cost in bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace velmora::tools {

// How often each code was written to a block.
struct CodeCounts {
    size_t literals = 0;
    size_t matches = 0;       // offset and length
    size_t repeatMatches = 0; // length at the last offset
    size_t shortMatches = 0;  // 2 or 3 bytes at offset 1 to 127
    size_t singleBytes = 0;   // a byte 1 to 15 back
    size_t zeroBytes = 0;
};

// Called now and then with the bytes packed so far and the total.
using PackProgress = std::function<void(size_t done, size_t total)>;

// kOptimal finds the smallest blocks; kFast packs several times quicker and a
// few percent larger.
enum class Parse { kOptimal, kFast };

// The packed block for size bytes (at most 2^31 - 1), end marker included.
std::vector<uint8_t> PackData(const uint8_t* data, size_t size, CodeCounts* counts = nullptr,
                              const PackProgress& progress = {}, Parse parse = Parse::kOptimal);

}  // namespace velmora::tools
