#include "chain_finder.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace velmora::tools {
namespace {

constexpr uint32_t kWindowBits = 21;   // offsets searched: up to 2 MB back
constexpr uint32_t kHashBits = 20;     // few collisions even over the whole window
constexpr int kChainDepth = 32;        // candidates tried per position
constexpr uint32_t kNiceLength = 128;  // a match this long ends the search
constexpr uint32_t kNoPosition = UINT32_MAX;

}  // namespace

uint32_t MatchLength(const uint8_t* data, uint32_t position, uint32_t offset, uint32_t limit) {
    const uint8_t* a = data + position;
    const uint8_t* b = a - offset;
    uint32_t length = 0;
    while (length + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + length, 8);
        std::memcpy(&y, b + length, 8);
        if (x != y) return length + static_cast<uint32_t>(std::countr_zero(x ^ y) / 8);
        length += 8;
    }
    while (length < limit && a[length] == b[length]) ++length;
    return length;
}

ChainFinder::ChainFinder(const uint8_t* data, size_t size) : data_(data), size_(size), head2_(data, size) {
    uint32_t windowBits = kWindowBits;
    while (windowBits > 8 && (size_t{1} << (windowBits - 1)) >= size) --windowBits;
    window_ = uint32_t{1} << windowBits;
    previous_.resize(window_);
    // Small inputs get small tables: most archived files are small.
    hashBits_ = std::clamp<uint32_t>(windowBits, 10, kHashBits);
    head3_.assign(size_t{1} << hashBits_, kNoPosition);
}

void ChainFinder::Insert(uint32_t position) {
    if (position + 1 >= size_) return;
    head2_[Key2(position)] = position;
    if (position + 2 >= size_) return;
    uint32_t hash = Hash3(position);
    previous_[position & (window_ - 1)] = head3_[hash];
    head3_[hash] = position;
}

void ChainFinder::Find(uint32_t position, uint32_t limit, std::vector<std::pair<uint32_t, uint32_t>>& found) {
    found.clear();
    if (limit < 2 || position + 1 >= size_) return;
    uint32_t best = 1;
    uint32_t near = head2_[Key2(position)];
    if (near != kNoPosition && position - near < window_) {
        uint32_t length = MatchLength(data_, position, position - near, limit);
        if (length > best) {
            best = length;
            found.emplace_back(length, position - near);
            if (length >= std::min(limit, kNiceLength)) return;
        }
    }
    if (limit < 3 || position + 2 >= size_) return;
    uint32_t candidate = head3_[Hash3(position)];
    for (int depth = kChainDepth; depth > 0 && candidate != kNoPosition; --depth) {
        uint32_t offset = position - candidate;
        if (offset >= window_) break;
        if (data_[candidate + best] == data_[position + best]) {
            uint32_t length = MatchLength(data_, position, offset, limit);
            if (length > best) {
                best = length;
                found.emplace_back(length, offset);
                if (length >= std::min(limit, kNiceLength)) return;
            }
        }
        uint32_t next = previous_[candidate & (window_ - 1)];
        if (next == kNoPosition || next >= candidate) break;
        candidate = next;
    }
}

}  // namespace velmora::tools
