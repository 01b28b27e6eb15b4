// Matches for the optimal parse: a binary tree of the window's positions in
// the order of their suffixes, the newest at the root, whose search path from
// the root meets the nearest position of every match length. One tree per
// 4-byte hash; 2- and 3-byte matches come from tables of the last positions.
#pragma once

#include <cstdint>
#include <vector>

#include "pair_table.h"

namespace velmora::tools {

struct Match {
    uint32_t length;
    uint32_t offset;
};

class MatchTree {
public:
    // Lengths are searched up to nice, offsets up to 2 MB back.
    MatchTree(const uint8_t* data, uint32_t size, uint32_t nice);

    // The matches at position, strictly growing in length, each at the nearest
    // offset of its length, with lengths up to nice and the input's end; the
    // position is then in the tree. Every position is given to Find or Skip
    // once, in order.
    void Find(uint32_t position, std::vector<Match>& found);
    void Skip(uint32_t position);

private:
    template <bool kReport>
    void Walk(uint32_t position, std::vector<Match>* found);

    const uint8_t* data_;
    uint32_t size_;
    uint32_t nice_;
    uint32_t window_;
    uint32_t hashBits_;
    std::vector<uint32_t> children_;  // two per window slot: smaller, greater
    std::vector<uint32_t> head4_;  // tree roots, one per 4-byte hash
    std::vector<uint32_t> head3_;
    PairTable head2_;
};

}  // namespace velmora::tools
