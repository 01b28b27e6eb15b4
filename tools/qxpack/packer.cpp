// Codes of a block, each led by control bits taken from tag bytes interleaved
// with the data bytes:
//   0            literal: one data byte
//   1 0 G ...    G = 2: repeat match, a number for the length, at the last offset
//                G > 2: match at offset (G - 3) * 256 + a data byte, then a number
//                       for the length, 2 less when the offset is below 128
//   1 1 0 b      short match of 2 + (b & 1) bytes at offset b >> 1; b < 2 ends the block
//   1 1 1 nnnn   single byte: a zero (n = 0) or the byte n back
// A number is (continue, data) bit pairs after an implied leading 1.
//
// The parse is chosen by cost: positions are taken in blocks, and each
// position's cheapest arrival in bits is relaxed forwards over every code that
// applies there, with the last offset carried along each arrival.
#include "packer.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace qxpack {
namespace {

constexpr uint32_t kWindowBits = 21;        // offsets searched: up to 2 MB back
constexpr uint32_t kHashBits = 20;          // few collisions even over the whole window
constexpr int kChainDepth = 32;             // candidates tried per position
constexpr uint32_t kNiceLength = 128;       // a match this long is taken at once
constexpr uint32_t kBlockPositions = 1 << 15;
constexpr uint32_t kNoPosition = UINT32_MAX;
constexpr uint32_t kUnreached = UINT32_MAX;
constexpr size_t kProgressStep = 1 << 20;

// Bits of the number code for value (2 or more).
inline uint32_t NumberBits(uint32_t value) {
    return 2 * static_cast<uint32_t>(std::bit_width(value) - 1);
}

inline uint32_t MatchBits(uint32_t offset, uint32_t length) {
    uint32_t coded = offset <= 127 ? length - 2 : length;
    return 2 + NumberBits(offset / 256 + 3) + 8 + NumberBits(coded);
}

inline uint32_t RepeatBits(uint32_t length) {
    return 2 + 2 + NumberBits(length);
}

constexpr uint32_t kLiteralBits = 9;
constexpr uint32_t kSingleBits = 7;
constexpr uint32_t kShortBits = 11;

class BitWriter {
public:
    explicit BitWriter(std::vector<uint8_t>& out) : out_(out) {}

    void Bit(uint32_t bit) {
        if (used_ == 8) {  // the unpacker takes the next tag byte exactly here
            tagAt_ = out_.size();
            out_.push_back(0);
            used_ = 0;
        }
        if (bit) out_[tagAt_] |= static_cast<uint8_t>(0x80 >> used_);
        ++used_;
    }
    void Byte(uint32_t byte) { out_.push_back(static_cast<uint8_t>(byte)); }
    void Number(uint32_t value) {
        int dataBits = std::bit_width(value) - 1;
        for (int k = dataBits - 1; k >= 0; --k) {
            Bit(k > 0 ? 1 : 0);
            Bit((value >> k) & 1);
        }
    }

private:
    std::vector<uint8_t>& out_;
    size_t tagAt_ = 0;
    int used_ = 8;
};

// kByteRepeat is a pair: the one-byte code for the first byte, then a repeat
// match of length - 1; it keeps the last offset alive across a changed byte.
enum class Code : uint8_t { kLiteral, kSingle, kShort, kRepeat, kMatch, kByteRepeat };

struct Step {
    Code code;
    uint32_t length;
    uint32_t offset;  // distance back; for kSingle 0 means a zero byte
};

// Hash chains over 3-byte prefixes, plus the nearest position of each 2-byte prefix.
class MatchFinder {
public:
    MatchFinder(const uint8_t* data, size_t size) : data_(data), size_(size) {
        uint32_t windowBits = kWindowBits;
        while (windowBits > 8 && (size_t{1} << (windowBits - 1)) >= size) --windowBits;
        window_ = uint32_t{1} << windowBits;
        previous_.resize(window_);
        // Small inputs get small tables: most archived files are small.
        hashBits_ = std::clamp<uint32_t>(windowBits, 10, kHashBits);
        head3_.assign(size_t{1} << hashBits_, kNoPosition);
        head2_.assign(size_t{1} << 16, kNoPosition);
    }

    uint32_t Window() const { return window_; }

    // Adds position to the chains; positions are added once each, in order.
    void Insert(uint32_t position) {
        if (position + 1 >= size_) return;
        head2_[Key2(position)] = position;
        if (position + 2 >= size_) return;
        uint32_t hash = Hash3(position);
        previous_[position & (window_ - 1)] = head3_[hash];
        head3_[hash] = position;
    }

    // Bytes equal at position and position - offset, up to limit.
    uint32_t Length(uint32_t position, uint32_t offset, uint32_t limit) const {
        const uint8_t* a = data_ + position;
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

    // The matches at position (not yet inserted) with strictly growing lengths,
    // each at the nearest offset found for its length; lengths up to limit.
    void Find(uint32_t position, uint32_t limit, std::vector<std::pair<uint32_t, uint32_t>>& found) {
        found.clear();
        if (limit < 2 || position + 1 >= size_) return;
        uint32_t best = 1;
        uint32_t near = head2_[Key2(position)];
        if (near != kNoPosition && position - near < window_) {
            uint32_t length = Length(position, position - near, limit);
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
                uint32_t length = Length(position, offset, limit);
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

private:
    uint32_t Key2(uint32_t p) const { return data_[p] | data_[p + 1] << 8; }
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
    std::vector<uint32_t> head2_;
};

struct Arrival {
    uint32_t cost = kUnreached;
    uint32_t lastOffset = 0;
    Step step{};
};

class Packer {
public:
    Packer(const uint8_t* data, size_t size, CodeCounts* counts, const PackProgress& progress)
        : data_(data), size_(static_cast<uint32_t>(size)), finder_(data, size), counts_(counts),
          progress_(progress), bits_(out_) {}

    std::vector<uint8_t> Run() {
        out_.reserve(size_ / 2 + 16);
        arrivals_.resize(std::min<size_t>(size_, kBlockPositions) + 1);
        uint32_t position = 0;
        size_t reported = 0;
        while (position < size_) {
            position = PackBlock(position);
            if (progress_ && (position - reported >= kProgressStep || position == size_)) {
                progress_(position, size_);
                reported = position;
            }
        }
        // End marker: a short match with the byte 0.
        bits_.Bit(1);
        bits_.Bit(1);
        bits_.Bit(0);
        bits_.Byte(0);
        return std::move(out_);
    }

private:
    // The cheapest code for one byte at position, as a step.
    Step OneByte(uint32_t position) const {
        uint8_t byte = data_[position];
        if (byte == 0) return {Code::kSingle, 1, 0};
        uint32_t reach = std::min<uint32_t>(15, position);
        for (uint32_t n = 1; n <= reach; ++n)
            if (data_[position - n] == byte) return {Code::kSingle, 1, n};
        return {Code::kLiteral, 1, 0};
    }

    static uint32_t StepBits(const Step& step) {
        switch (step.code) {
        case Code::kLiteral: return kLiteralBits;
        case Code::kSingle: return kSingleBits;
        case Code::kShort: return kShortBits;
        case Code::kRepeat: return RepeatBits(step.length);
        case Code::kMatch: return MatchBits(step.offset, step.length);
        case Code::kByteRepeat: return step.offset + RepeatBits(step.length - 1);
        }
        return 0;
    }

    void Relax(uint32_t from, const Arrival& here, const Step& step) {
        Arrival& there = arrivals_[from + step.length];
        uint32_t cost = here.cost + StepBits(step);
        if (cost < there.cost) {
            there.cost = cost;
            there.step = step;
            there.lastOffset = step.code == Code::kMatch ? step.offset : here.lastOffset;
        }
    }

    // Parses positions from start on, writes the chosen codes and returns
    // where the next block begins.
    uint32_t PackBlock(uint32_t start) {
        uint32_t end = static_cast<uint32_t>(std::min<size_t>(size_, size_t{start} + kBlockPositions));
        uint32_t span = end - start;
        for (uint32_t j = 0; j <= span; ++j) arrivals_[j].cost = kUnreached;
        arrivals_[0].cost = 0;
        arrivals_[0].lastOffset = lastOffset_;

        Step longStep{};
        bool haveLong = false;
        uint32_t stop = span;
        for (uint32_t j = 0; j < span; ++j) {
            uint32_t position = start + j;
            const Arrival here = arrivals_[j];
            uint32_t limit = size_ - position;
            finder_.Find(position, limit, matches_);
            finder_.Insert(position);

            uint32_t repeatLength = 0;
            if (here.lastOffset > 0 && here.lastOffset <= position && limit >= 2)
                repeatLength = finder_.Length(position, here.lastOffset, limit);
            uint32_t longest = matches_.empty() ? 0 : matches_.back().first;

            // A long match ends the block here: the path to this position is
            // final and the match follows it whole.
            if (std::max(longest, repeatLength) >= kNiceLength) {
                if (repeatLength >= longest)
                    longStep = {Code::kRepeat, repeatLength, here.lastOffset};
                else
                    longStep = {Code::kMatch, longest, matches_.back().second};
                haveLong = true;
                stop = j;
                break;
            }

            uint32_t room = span - j;  // codes end within the block
            Step oneByte = OneByte(position);
            Relax(j, here, oneByte);
            if (here.lastOffset > 0 && here.lastOffset <= position + 1 && limit >= 3 && room >= 3) {
                uint32_t after = std::min(finder_.Length(position + 1, here.lastOffset, limit - 1),
                                          room - 1);
                if (after >= 2)
                    Relax(j, here, {Code::kByteRepeat, 1 + after, StepBits(oneByte)});
            }
            for (uint32_t length = 2; length <= 3 && length <= room; ++length) {
                for (const auto& [matchLength, offset] : matches_) {
                    if (matchLength < length) continue;
                    if (offset <= 127) Relax(j, here, {Code::kShort, length, offset});
                    break;
                }
            }
            for (uint32_t length = 2; length <= std::min(repeatLength, room); ++length)
                Relax(j, here, {Code::kRepeat, length, here.lastOffset});
            uint32_t shorter = 1;
            for (const auto& [matchLength, offset] : matches_) {
                uint32_t first = std::max(shorter + 1, offset <= 127 ? 4u : 2u);
                uint32_t last = std::min(matchLength, room);
                for (uint32_t length = first; length <= last; ++length)
                    Relax(j, here, {Code::kMatch, length, offset});
                shorter = matchLength;
            }
        }

        Emit(stop);
        lastOffset_ = arrivals_[stop].lastOffset;
        uint32_t next = start + stop;
        if (haveLong) {
            Write(longStep);
            if (longStep.code == Code::kMatch) lastOffset_ = longStep.offset;
            for (uint32_t p = next + 1; p < next + longStep.length; ++p) finder_.Insert(p);
            next += longStep.length;
        }
        return next;
    }

    // Writes the cheapest path to arrival stop, front to back.
    void Emit(uint32_t stop) {
        path_.clear();
        for (uint32_t j = stop; j > 0; j -= arrivals_[j].step.length) path_.push_back(arrivals_[j].step);
        for (auto it = path_.rbegin(); it != path_.rend(); ++it) Write(*it);
    }

    void Write(const Step& step) {
        switch (step.code) {
        case Code::kLiteral:
            bits_.Bit(0);
            bits_.Byte(data_[position_]);
            if (counts_) ++counts_->literals;
            break;
        case Code::kSingle:
            bits_.Bit(1);
            bits_.Bit(1);
            bits_.Bit(1);
            for (int k = 3; k >= 0; --k) bits_.Bit((step.offset >> k) & 1);
            if (counts_) ++(step.offset == 0 ? counts_->zeroBytes : counts_->singleBytes);
            break;
        case Code::kShort:
            bits_.Bit(1);
            bits_.Bit(1);
            bits_.Bit(0);
            bits_.Byte(step.offset << 1 | (step.length - 2));
            if (counts_) ++counts_->shortMatches;
            break;
        case Code::kRepeat:
            bits_.Bit(1);
            bits_.Bit(0);
            bits_.Number(2);
            bits_.Number(step.length);
            if (counts_) ++counts_->repeatMatches;
            break;
        case Code::kMatch:
            bits_.Bit(1);
            bits_.Bit(0);
            bits_.Number(step.offset / 256 + 3);
            bits_.Byte(step.offset & 255);
            bits_.Number(step.offset <= 127 ? step.length - 2 : step.length);
            if (counts_) ++counts_->matches;
            break;
        case Code::kByteRepeat:
            Write(OneByte(position_));
            Write({Code::kRepeat, step.length - 1, 0});
            return;
        }
        position_ += step.length;
    }

    const uint8_t* data_;
    uint32_t size_;
    MatchFinder finder_;
    CodeCounts* counts_;
    const PackProgress& progress_;
    std::vector<uint8_t> out_;
    BitWriter bits_;
    std::vector<Arrival> arrivals_;
    std::vector<std::pair<uint32_t, uint32_t>> matches_;
    std::vector<Step> path_;
    uint32_t lastOffset_ = 0;
    uint32_t position_ = 0;  // input position of the next code written
};

}  // namespace

std::vector<uint8_t> PackData(const uint8_t* data, size_t size, CodeCounts* counts,
                              const PackProgress& progress) {
    if (counts) *counts = CodeCounts{};
    if (size > 0x7FFFFFFF) return {};
    Packer packer(data, size, counts, progress);
    return packer.Run();
}

}  // namespace qxpack
