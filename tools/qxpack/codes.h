// The codes of a packed block and their exact sizes in bits. Each code is led
// by control bits taken from tag bytes interleaved with the data bytes:
//   0            literal: one data byte
//   1 0 G ...    G = 2: repeat match, a number for the length, at the last offset
//                G > 2: match at offset (G - 3) * 256 + a data byte, then a number
//                       for the length, 2 less when the offset is below 128
//   1 1 0 b      short match of 2 + (b & 1) bytes at offset b >> 1; b < 2 ends the block
//   1 1 1 nnnn   single byte: a zero (n = 0) or the byte n back
// A number is (continue, data) bit pairs after an implied leading 1. Only a
// match sets the last offset; every other code leaves it as it was.
#pragma once

#include <bit>
#include <cstdint>

namespace velmora::tools {

// kByteRepeat is a pair: the one-byte code for the first byte, then a repeat
// match of length - 1; it keeps the last offset alive across a changed byte.
enum class Code : uint8_t { kLiteral, kSingle, kShort, kRepeat, kMatch, kByteRepeat };

struct Step {
    Code code;
    uint32_t length;
    uint32_t offset;  // distance back; for kSingle 0 means a zero byte
};

constexpr uint32_t kLiteralBits = 9;
constexpr uint32_t kSingleBits = 7;
constexpr uint32_t kShortBits = 11;
constexpr uint32_t kShortestFarMatch = 2;   // offsets from 128 on
constexpr uint32_t kShortestNearMatch = 4;  // offsets below 128 code the length less 2
constexpr uint32_t kNearOffsets = 127;      // the short match's reach and the length bonus's

// Bits of the number code for value (2 or more).
inline uint32_t NumberBits(uint32_t value) {
    return 2 * static_cast<uint32_t>(std::bit_width(value) - 1);
}

inline uint32_t MatchBits(uint32_t offset, uint32_t length) {
    uint32_t coded = offset <= kNearOffsets ? length - 2 : length;
    return 2 + NumberBits(offset / 256 + 3) + 8 + NumberBits(coded);
}

inline uint32_t RepeatBits(uint32_t length) {
    return 2 + 2 + NumberBits(length);
}

// The cheaper one-byte code at position: the zero byte or the nearest equal
// byte up to 15 back as a single byte, else a literal.
inline Step OneByteStep(const uint8_t* data, uint32_t position) {
    uint8_t byte = data[position];
    if (byte == 0) return {Code::kSingle, 1, 0};
    uint32_t reach = position < 15 ? position : 15;
    for (uint32_t n = 1; n <= reach; ++n)
        if (data[position - n] == byte) return {Code::kSingle, 1, n};
    return {Code::kLiteral, 1, 0};
}

inline uint32_t StepBits(const Step& step) {
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

}  // namespace velmora::tools
