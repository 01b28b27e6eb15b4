// Matches for the fast parse: hash chains over 3-byte prefixes, plus the
// nearest position of each 2-byte prefix.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "pair_table.h"

namespace velmora::tools {

class ChainFinder {
public:
    ChainFinder(const uint8_t* data, size_t size);

    // Adds position to the chains; positions are added once each, in order.
    void Insert(uint32_t position);

    // The matches at position (not yet inserted) with strictly growing lengths,
    // each at the nearest offset found for its length; lengths up to limit.
    void Find(uint32_t position, uint32_t limit, std::vector<std::pair<uint32_t, uint32_t>>& found);

private:
    uint32_t Key2(uint32_t p) const { return PairTable::Key(data_ + p); }
    uint32_t Hash3(uint32_t p) const {
        uint32_t v = static_cast<uint32_t>(data_[p]) << 16 | data_[p + 1] << 8 | data_[p + 2];
        return (v * 2654435761u) >> (32 - hashBits_);
    }

    const uint8_t* data_;
    size_t size_;
    uint32_t window_;
    uint32_t hashBits_;
    std::vector<uint32_t> previous_;
    std::vector<uint32_t> head3_;
    PairTable head2_;
};

// Bytes equal at position and position - offset, up to limit.
uint32_t MatchLength(const uint8_t* data, uint32_t position, uint32_t offset, uint32_t limit);

}  // namespace velmora::tools
