// The optimal parse. What a code costs after position p depends only on p and
// the last offset, so each position keeps its few cheapest arrivals with
// distinct last offsets, and every arrival is carried forwards over every
// code that applies: the one-byte codes, short matches and repeat matches of
// every length keep its last offset; a match of any length replaces it, so
// only the cheapest arrival needs to try the matches. Positions are taken in
// blocks whose cheapest final arrival is written out.
//
// The cost of a path is its bits plus a weight for the time the unpacker
// spends on each code other than a literal (a tag byte's run of literals is
// copied at once): kMatchWeight for a match of any kind, kSingleWeight for a
// single byte, which then costs as much as a literal. On the benchmark corpus
// the weights save some 7% of unpacking time and cost no size.
#include <algorithm>
#include <bit>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "chain_finder.h"
#include "match_tree.h"
#include "parse.h"

namespace velmora::tools {
namespace {

constexpr int kArrivals = 8;           // kept per position, cheapest first
constexpr uint32_t kMatchWeight = 4;   // bits counted for the time a match takes to unpack
constexpr uint32_t kSingleWeight = 2;  // and a single byte
constexpr uint32_t kNiceLength = 256;  // a match this long is taken at once
constexpr uint32_t kBlockPositions = 1 << 16;
constexpr uint32_t kUnreached = UINT32_MAX;

constexpr uint32_t kNoOffset = UINT32_MAX;  // an empty slot's last offset

// How an arrival got to its position.
struct Link {
    uint32_t length;  // of the code that arrives
    uint32_t offset;  // the code's offset; for a single byte, n
    Code code;
    uint8_t from;  // the arrival it continues, at the position length back
};

// One position's arrivals, cheapest first, with distinct last offsets (0 for
// none yet). Costs and last offsets lie apart, as every offer scans them.
struct Arrivals {
    uint32_t cost[kArrivals];
    uint32_t lastOffset[kArrivals];
    Link link[kArrivals];
};

// Bit k set where offsets[k] is offset.
inline unsigned SameOffsets(const uint32_t* offsets, uint32_t offset) {
#if defined(__SSE2__)
    static_assert(kArrivals == 8);
    __m128i key = _mm_set1_epi32(static_cast<int>(offset));
    __m128i low = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(offsets)), key);
    __m128i high = _mm_cmpeq_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(offsets + 4)), key);
    return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(low)) |
                                 _mm_movemask_ps(_mm_castsi128_ps(high)) << 4);
#else
    unsigned same = 0;
    for (int k = 0; k < kArrivals; ++k) same |= static_cast<unsigned>(offsets[k] == offset) << k;
    return same;
#endif
}

class OptimalParser {
public:
    OptimalParser(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress)
        : data_(data), size_(size), tree_(data, size, kNiceLength), writer_(writer), progress_(progress) {}

    void Run() {
        arrivals_.resize(std::min<size_t>(size_, kBlockPositions) + 1);
        ParseInBlocks(size_, progress_, [this](uint32_t start) { return PackBlock(start); });
    }

private:
    // Keeps the arrival at j if it is among the cheapest there, replacing a
    // dearer one with the same last offset.
    void Offer(uint32_t j, uint32_t cost, uint32_t lastOffset, Code code, uint32_t length, uint32_t offset,
               int from) {
        Arrivals& a = arrivals_[j];
        if (cost >= a.cost[kArrivals - 1]) return;
        unsigned same = SameOffsets(a.lastOffset, lastOffset);
        // The same last offset's arrival makes room, or else the dearest.
        int slot = kArrivals - 1;
        if (same) {
            slot = std::countr_zero(same);
            if (cost >= a.cost[slot]) return;
        }
        for (; slot > 0 && a.cost[slot - 1] > cost; --slot) {
            a.cost[slot] = a.cost[slot - 1];
            a.lastOffset[slot] = a.lastOffset[slot - 1];
            a.link[slot] = a.link[slot - 1];
        }
        a.cost[slot] = cost;
        a.lastOffset[slot] = lastOffset;
        a.link[slot] = {length, offset, code, static_cast<uint8_t>(from)};
    }

    // Parses positions from start on, writes the chosen codes and returns
    // where the next block begins.
    uint32_t PackBlock(uint32_t start) {
        uint32_t span = static_cast<uint32_t>(std::min<size_t>(size_ - start, kBlockPositions));
        // Positions are cleared as codes first reach them: a long match may end the block early.
        uint32_t cleared = 0;
        auto clearTo = [&](uint32_t last) {
            for (; cleared <= last; ++cleared) {
                std::fill_n(arrivals_[cleared].cost, kArrivals, kUnreached);
                std::fill_n(arrivals_[cleared].lastOffset, kArrivals, kNoOffset);
            }
        };
        clearTo(1);
        arrivals_[0].cost[0] = 0;
        arrivals_[0].lastOffset[0] = lastOffset_;

        Step longStep{};
        int longFrom = -1;
        uint32_t stop = span;
        uint32_t repeatLengths[kArrivals];
        for (uint32_t j = 0; j < span; ++j) {
            const uint32_t position = start + j;
            const uint32_t limit = size_ - position;
            const Arrivals& here = arrivals_[j];
            tree_.Find(position, matches_);

            int count = 0;
            for (; count < kArrivals && here.cost[count] != kUnreached; ++count) {
                uint32_t last = here.lastOffset[count];
                bool repeats = last > 0 && last <= position && limit >= 2 &&
                               data_[position] == data_[position - last] &&
                               data_[position + 1] == data_[position + 1 - last];
                repeatLengths[count] = repeats ? MatchLength(data_, position, last, limit) : 0;
            }

            // A long match ends the block here: the path to this position is
            // final and the match follows it whole.
            uint32_t longest = 0;
            if (!matches_.empty()) {
                longest = matches_.back().length;
                if (longest == kNiceLength)
                    longest = MatchLength(data_, position, matches_.back().offset, limit);
            }
            int repeatFrom =
                static_cast<int>(std::max_element(repeatLengths, repeatLengths + count) - repeatLengths);
            if (std::max(longest, repeatLengths[repeatFrom]) >= kNiceLength) {
                if (repeatLengths[repeatFrom] >= longest) {
                    longStep = {Code::kRepeat, repeatLengths[repeatFrom], here.lastOffset[repeatFrom]};
                    longFrom = repeatFrom;
                } else {
                    longStep = {Code::kMatch, longest, matches_.back().offset};
                    longFrom = 0;
                }
                stop = j;
                break;
            }

            const uint32_t room = span - j;  // codes end within the block
            uint32_t reach = std::max(3u, longest);
            for (int k = 0; k < count; ++k) reach = std::max(reach, repeatLengths[k]);
            clearTo(j + std::min(reach, room));
            const Step oneByte = OneByteStep(data_, position);
            const uint32_t oneByteBits =
                StepBits(oneByte) + (oneByte.code == Code::kLiteral ? 0 : kSingleWeight);
            for (int k = 0; k < count; ++k)
                Offer(j + 1, here.cost[k] + oneByteBits, here.lastOffset[k], oneByte.code, 1, oneByte.offset, k);

            // Short matches: the nearest offset of each length, when near enough.
            for (uint32_t length = 2; length <= 3 && length <= room; ++length) {
                auto match = std::find_if(matches_.begin(), matches_.end(),
                                          [length](const Match& m) { return m.length >= length; });
                if (match == matches_.end() || match->offset > kNearOffsets) continue;
                for (int k = 0; k < count; ++k)
                    Offer(j + length, here.cost[k] + kShortBits + kMatchWeight, here.lastOffset[k], Code::kShort,
                          length, match->offset, k);
            }

            for (int k = 0; k < count; ++k) {
                uint32_t last = std::min(repeatLengths[k], room);
                for (uint32_t length = 2; length <= last; ++length)
                    Offer(j + length, here.cost[k] + RepeatBits(length) + kMatchWeight, here.lastOffset[k],
                          Code::kRepeat, length, here.lastOffset[k], k);
            }

            uint32_t shorter = 1;
            for (const Match& match : matches_) {
                uint32_t first = std::max(shorter + 1, match.offset <= kNearOffsets ? kShortestNearMatch
                                                                                    : kShortestFarMatch);
                uint32_t last = std::min(match.length, room);
                for (uint32_t length = first; length <= last; ++length)
                    Offer(j + length, here.cost[0] + MatchBits(match.offset, length) + kMatchWeight, match.offset,
                          Code::kMatch, length, match.offset, 0);
                shorter = match.length;
            }
        }

        Emit(stop, longFrom < 0 ? 0 : longFrom);
        lastOffset_ = arrivals_[stop].lastOffset[longFrom < 0 ? 0 : longFrom];
        uint32_t next = start + stop;
        if (longFrom >= 0) {
            writer_.Write(longStep);
            if (longStep.code == Code::kMatch) lastOffset_ = longStep.offset;
            for (uint32_t p = next + 1; p < next + longStep.length; ++p) tree_.Skip(p);
            next += longStep.length;
        }
        return next;
    }

    // Writes the path that ends in arrival k at stop, front to back.
    void Emit(uint32_t stop, int k) {
        path_.clear();
        for (uint32_t j = stop; j > 0;) {
            const Link& link = arrivals_[j].link[k];
            path_.push_back({link.code, link.length, link.offset});
            k = link.from;
            j -= link.length;
        }
        for (auto it = path_.rbegin(); it != path_.rend(); ++it) writer_.Write(*it);
    }

    const uint8_t* data_;
    uint32_t size_;
    MatchTree tree_;
    CodeWriter& writer_;
    const PackProgress& progress_;
    std::vector<Arrivals> arrivals_;  // one per position of the block
    std::vector<Match> matches_;
    std::vector<Step> path_;
    uint32_t lastOffset_ = 0;
};

}  // namespace

void OptimalParse(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress) {
    OptimalParser(data, size, writer, progress).Run();
}

}  // namespace velmora::tools
