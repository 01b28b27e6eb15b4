// The two ways of choosing a block's codes. Both write every input byte
// through the writer, front to back, and leave the end marker to the caller.
#pragma once

#include <cstdint>

#include "code_writer.h"
#include "packer.h"

namespace qxpack {

// Each position's one cheapest arrival, over the nearest matches that short
// hash chains find: quick, a few percent larger than the optimal parse.
void FastParse(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress);

// Each position's cheapest arrivals for several last offsets, over every
// match length and the repeat match of each arrival, with the nearest match
// of every length from a binary tree.
void OptimalParse(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress);

}  // namespace qxpack
