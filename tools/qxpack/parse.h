// The two ways of choosing a block's codes. Both write every input byte
// through the writer, front to back, and leave the end marker to the caller.
#pragma once

#include <cstddef>
#include <cstdint>

#include "code_writer.h"
#include "packer.h"

namespace velmora::tools {

// Both parses take the input a block at a time: packBlock(start) parses from
// start and returns where the next block begins. Progress is told about
// every megabyte and at the end.
template <typename PackBlock>
void ParseInBlocks(uint32_t size, const PackProgress& progress, PackBlock packBlock) {
    constexpr size_t kProgressStep = 1 << 20;
    uint32_t position = 0;
    size_t reported = 0;
    while (position < size) {
        position = packBlock(position);
        if (progress && (position - reported >= kProgressStep || position == size)) {
            progress(position, size);
            reported = position;
        }
    }
}

// Each position's one cheapest arrival, over the nearest matches that short
// hash chains find: quick, a few percent larger than the optimal parse.
void FastParse(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress);

// Each position's cheapest arrivals for several last offsets, over every
// match length and the repeat match of each arrival, with the nearest match
// of every length from a binary tree.
void OptimalParse(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress);

}  // namespace velmora::tools
