#include "match_tree.h"

#include <algorithm>
#include <cstring>

#include "chain_finder.h"

namespace velmora::tools {
namespace {

constexpr uint32_t kWindowBits = 21;  // offsets up to 2 MB back
constexpr uint32_t kHashBits = 20;
constexpr int kDepth = 32;  // nodes visited per position; the rest of the tree is cut off
constexpr uint32_t kNone = UINT32_MAX;

}  // namespace

MatchTree::MatchTree(const uint8_t* data, uint32_t size, uint32_t nice)
    : data_(data), size_(size), nice_(nice), head2_(data, size) {
    uint32_t windowBits = kWindowBits;
    while (windowBits > 8 && (uint64_t{1} << (windowBits - 1)) >= size) --windowBits;
    window_ = uint32_t{1} << windowBits;
    children_.resize(size_t{2} * window_);
    // Small inputs get small tables: most archived files are small.
    hashBits_ = std::clamp<uint32_t>(windowBits, 10, kHashBits);
    head3_.assign(size_t{1} << hashBits_, kNone);
    head4_.assign(size_t{1} << hashBits_, kNone);
}

void MatchTree::Find(uint32_t position, std::vector<Match>& found) {
    found.clear();
    Walk<true>(position, &found);
}

void MatchTree::Skip(uint32_t position) { Walk<false>(position, nullptr); }

template <bool kReport>
void MatchTree::Walk(uint32_t position, std::vector<Match>* found) {
    if (position + 2 > size_) return;
    const uint8_t* here = data_ + position;
    uint32_t limit = std::min(nice_, size_ - position);
    uint32_t best = 1;
    // The nearest 2-byte and 3-byte matches come from tables of the last
    // position of each pair and of each 3-byte hash.
    uint32_t& pair = head2_[PairTable::Key(here)];
    uint32_t nearest = pair;
    pair = position;
    if (kReport && nearest != kNone && position - nearest < window_) {
        best = MatchLength(data_, position, position - nearest, limit);
        found->push_back({best, position - nearest});
    }
    if (limit < 3) return;
    uint32_t v3 = static_cast<uint32_t>(here[0]) << 16 | here[1] << 8 | here[2];
    uint32_t& triple = head3_[(v3 * 2654435761u) >> (32 - hashBits_)];
    uint32_t older = triple;
    triple = position;
    if (kReport && older != kNone && older != nearest && position - older < window_ && best < limit) {
        uint32_t length = MatchLength(data_, position, position - older, limit);
        if (length > best) {
            best = length;
            found->push_back({length, position - older});
        }
    }
    if (limit < 4) return;

    uint32_t v4;
    std::memcpy(&v4, here, 4);
    uint32_t& head = head4_[(v4 * 2654435761u) >> (32 - hashBits_)];
    uint32_t candidate = head;
    head = position;
    // The new position becomes the root: the old tree is split into the
    // suffixes before it (hung under smaller) and after it (under greater).
    uint32_t slot = position & (window_ - 1);
    uint32_t* smaller = &children_[2 * slot];
    uint32_t* greater = &children_[2 * slot + 1];
    uint32_t smallerLength = 0, greaterLength = 0;
    for (int depth = kDepth;; --depth) {
        if (candidate == kNone || position - candidate >= window_ || depth == 0) {
            *smaller = *greater = kNone;
            return;
        }
        uint32_t offset = position - candidate;
        uint32_t* node = &children_[2 * (candidate & (window_ - 1))];
        const uint8_t* there = here - offset;
        uint32_t length = std::min(smallerLength, greaterLength);
        if (there[length] == here[length]) {
            length += MatchLength(data_, position + length, offset, limit - length);
            if (kReport && length > best) {
                best = length;
                found->push_back({length, offset});
            }
            if (length == limit) {  // equal as far as the tree looks: it takes this one's place
                *smaller = node[0];
                *greater = node[1];
                return;
            }
        }
        if (there[length] < here[length]) {
            *smaller = candidate;
            smaller = node + 1;
            candidate = *smaller;
            smallerLength = length;
        } else {
            *greater = candidate;
            greater = node;
            candidate = *greater;
            greaterLength = length;
        }
    }
}

}  // namespace velmora::tools
