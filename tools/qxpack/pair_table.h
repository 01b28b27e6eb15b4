// The last position of every 2-byte prefix, for both parses' match finders.
// The table has 65,536 entries whatever the input's size, and setting up its
// quarter of a megabyte costs more than finding the matches of a small file:
// each thread keeps one between packings, and a finder that is done clears
// the entries of its input's pairs before it gives the table back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velmora::tools {

class PairTable {
public:
    static constexpr uint32_t kNone = UINT32_MAX;

    // For the pairs of data's size bytes; every entry starts as kNone.
    PairTable(const uint8_t* data, size_t size);
    ~PairTable();
    PairTable(const PairTable&) = delete;
    PairTable& operator=(const PairTable&) = delete;

    static uint32_t Key(const uint8_t* at) { return at[0] | static_cast<uint32_t>(at[1]) << 8; }
    uint32_t& operator[](uint32_t key) { return entries_[key]; }

private:
    const uint8_t* data_;
    size_t size_;
    std::vector<uint32_t> entries_;
};

}  // namespace velmora::tools
