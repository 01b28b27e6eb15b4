#include "pair_table.h"

#include <utility>

namespace velmora::tools {

namespace {

constexpr size_t kPairs = size_t{1} << 16;

// The thread's table between packings, every entry kNone; empty while a
// finder holds it.
thread_local std::vector<uint32_t> spare;

}  // namespace

PairTable::PairTable(const uint8_t* data, size_t size) : data_(data), size_(size) {
    if (spare.size() == kPairs)
        entries_.swap(spare);
    else
        entries_.assign(kPairs, kNone);
}

PairTable::~PairTable() {
    // Only the pairs of the input can have been written.
    for (size_t p = 0; p + 1 < size_; ++p) entries_[Key(data_ + p)] = kNone;
    if (spare.empty()) spare.swap(entries_);
}

}  // namespace velmora::tools
