// Unpacking one packed block of the archive. Control bits come from tag bytes
// interleaved with the data bytes, most significant bit first; every read of
// the block and every write of the output is bounded.
//
// Most of a block is unpacked by a loop that checks the stream's end only
// once per code: while at least kStreamMargin bytes remain, no code can run
// past it (a number above the block's size is refused after at most 32 bit
// pairs). It takes a tag byte's run of literals at once, number pairs and
// single-byte distances whole while their bits are in the tag byte, and far
// from the output's end copies whole words, which may write a few bytes
// beyond the code's end that the next codes overwrite. The last bytes of the
// stream go through the same steps one bit at a time, every byte checked.
// Both loops make the same checks of offsets, lengths and numbers, so they
// accept and refuse exactly the same blocks.
#include <bit>
#include <cstddef>
#include <cstring>

#include "data/data_archive.h"

// Every step of the loop is inlined, so that its state stays in registers.
#define VELMORA_INLINE __attribute__((always_inline))

namespace {

// A code reads at most 2 + 64 + 64 control bits and one data byte; a run of
// literals reads up to 8 bytes at once.
constexpr ptrdiff_t kStreamMargin = 32;
// Room the whole-word copies may write beyond a code's end.
constexpr uint64_t kCopySlack = 16;
// Control bits sit at the top of the word, followed by a marker 1; the word
// holding only the marker has no bits left.
constexpr uint32_t kNoBits = 0x80000000u;
constexpr uint32_t kTopBit = 0x80000000u;  // the next control bit

inline VELMORA_INLINE uint32_t TagBits(uint8_t tag) { return static_cast<uint32_t>(tag) << 24 | 0x00800000u; }

enum class Status { kGoOn, kFailed, kEnded };

// Where unpacking stands between the two loops.
struct Position {
    const uint8_t* at;
    uint64_t written;
    uint64_t lastOffset;  // 0: none before the first normal match
    uint32_t bits;
};

// Front to back, so an offset below the length repeats fresh output.
inline VELMORA_INLINE void CopyExact(uint8_t* out, const uint8_t* from, uint64_t offset, uint64_t length) {
    if (offset >= length)
        std::memcpy(out, from, length);
    else if (offset == 1)
        std::memset(out, *from, length);
    else
        for (uint64_t i = 0; i < length; ++i) out[i] = from[i];
}

// 1 to 16 bytes from at least as far back, in two loads that may overlap:
// bytes written just before are read back in as few loads as will do, so
// that the processor can pass them on from its pending stores.
inline VELMORA_INLINE void CopyShort(uint8_t* out, const uint8_t* from, uint64_t length) {
    if (length >= 8) {
        uint64_t a, b;
        std::memcpy(&a, from, 8);
        std::memcpy(&b, from + length - 8, 8);
        std::memcpy(out, &a, 8);
        std::memcpy(out + length - 8, &b, 8);
    } else if (length >= 4) {
        uint32_t a, b;
        std::memcpy(&a, from, 4);
        std::memcpy(&b, from + length - 4, 4);
        std::memcpy(out, &a, 4);
        std::memcpy(out + length - 4, &b, 4);
    } else if (length >= 2) {
        uint16_t a, b;
        std::memcpy(&a, from, 2);
        std::memcpy(&b, from + length - 2, 2);
        std::memcpy(out, &a, 2);
        std::memcpy(out + length - 2, &b, 2);
    } else {
        *out = *from;
    }
}

// Front to back like CopyExact, in whole words that end up to kCopySlack - 1
// bytes past the copy.
inline VELMORA_INLINE void CopyWide(uint8_t* out, const uint8_t* from, uint64_t offset, uint64_t length) {
    if (offset >= 16) {
        std::memcpy(out, from, 16);
        for (uint64_t i = 16; i < length; i += 16) std::memcpy(out + i, from + i, 16);
    } else if (offset >= 8) {
        std::memcpy(out, from, 8);
        for (uint64_t i = 8; i < length; i += 8) std::memcpy(out + i, from + i, 8);
    } else if (offset == 1) {
        std::memset(out, *from, length);
    } else {
        // The pattern repeats every offset bytes, so also every multiple of
        // them from 8 on: after its first 8 bytes, one at a time, it is
        // copied from that far back in words.
        for (int i = 0; i < 8; ++i) out[i] = from[i];
        uint64_t period = offset * ((8 + offset - 1) / offset);
        for (uint64_t i = 8; i < length; i += 8) std::memcpy(out + i, out + i - period, 8);
    }
}

// Unpacks codes from position on: unchecked, until fewer than kStreamMargin
// bytes of the stream are left (kGoOn); checked, up to the end marker.
template <bool kWrite, bool kChecked>
Status Decode(Position& position, const uint8_t* end, uint8_t* destination, uint64_t capacity) {
    const uint8_t* at = position.at;
    uint64_t written = position.written;
    uint64_t lastOffset = position.lastOffset;
    uint32_t bits = position.bits;
    // No number in a block of this size can exceed this: offsets need (G - 3) * 256 <= size.
    const uint64_t limit = capacity + 3;

    // The next control bit; a used-up tag byte is replaced by the next stream byte.
    auto bit = [&](uint32_t& value) VELMORA_INLINE {
        if (bits == kNoBits) {
            if (kChecked && at == end) return false;
            bits = TagBits(*at++);
        }
        value = bits >> 31;
        bits <<= 1;
        return true;
    };
    auto byte = [&](uint32_t& value) VELMORA_INLINE {
        if (kChecked && at == end) return false;
        value = *at++;
        return true;
    };
    // A number code: (continue, data) bit pairs appended to a leading 1. A
    // value above the limit can be no valid offset or length, so reading stops there.
    auto number = [&](uint64_t& value) VELMORA_INLINE {
        if constexpr (!kChecked) {
            // A pair at a time while the tag byte holds both its bits.
            value = 1;
            for (;;) {
                uint32_t pair;
                if (bits << 2) [[likely]] {
                    pair = bits >> 30;
                    bits <<= 2;
                } else {
                    if (bits == kNoBits) bits = TagBits(*at++);
                    pair = bits >> 31 << 1;
                    bits <<= 1;
                    if (bits == kNoBits) bits = TagBits(*at++);
                    pair |= bits >> 31;
                    bits <<= 1;
                }
                value = value * 2 + (pair & 1);
                if (value > limit) return false;
                if (!(pair & 2)) return true;
            }
        }
        value = 1;
        uint32_t more, data;
        do {
            if (!bit(more) || !bit(data)) return false;
            value = value * 2 + data;
            if (value > limit) return false;
        } while (more);
        return true;
    };
    auto put = [&](uint32_t value) VELMORA_INLINE {
        if (written == capacity) return false;
        if constexpr (kWrite) destination[written] = static_cast<uint8_t>(value);
        ++written;
        return true;
    };
    // Copies front to back, so an offset below the length repeats fresh output.
    auto copy = [&](uint64_t offset, uint64_t length) VELMORA_INLINE {
        if (offset == 0 || offset > written || length > capacity - written) return false;
        if constexpr (kWrite) {
            uint8_t* out = destination + written;
            if (length <= 16 && offset >= length)
                CopyShort(out, out - offset, length);
            else if (capacity - written - length >= kCopySlack)
                CopyWide(out, out - offset, offset, length);
            else
                CopyExact(out, out - offset, offset, length);
        }
        written += length;
        return true;
    };

    auto step = [&]() VELMORA_INLINE {
        uint32_t flag, value;
        if (bits == kNoBits) {
            if (kChecked && at == end) return Status::kFailed;
            bits = TagBits(*at++);
        }
        if (!kChecked && !(bits & kTopBit)) {
            // Literals up to the next 1 bit or the tag byte's end: their
            // bytes follow each other in the stream.
            uint32_t count = static_cast<uint32_t>(std::countl_zero(bits));
            if (count > capacity - written) return Status::kFailed;
            if constexpr (kWrite) {
                if (capacity - written >= 8)
                    std::memcpy(destination + written, at, 8);
                else
                    std::memcpy(destination + written, at, count);
            }
            at += count;
            written += count;
            bits <<= count;
            return Status::kGoOn;
        }
        if (!bit(flag)) return Status::kFailed;
        if (flag == 0) {  // literal
            return byte(value) && put(value) ? Status::kGoOn : Status::kFailed;
        }
        if (!bit(flag)) return Status::kFailed;
        uint64_t offset, length;  // of the copy, one place for every kind of match
        if (flag == 0) {  // match with a number code
            uint64_t code;
            if (!number(code)) return Status::kFailed;
            if (code == 2) {  // repeat match at the last offset
                if (!number(length)) return Status::kFailed;
                offset = lastOffset;
            } else {
                if (!byte(value)) return Status::kFailed;
                offset = (code - 3) * 256 + value;
                if (!number(length)) return Status::kFailed;
                if (offset <= 127) length += 2;
                lastOffset = offset;
                if (!kChecked && code > 3 && length <= 16 && capacity - written >= 32) {
                    // Far back: one whole-word copy of up to 16 bytes.
                    if (offset > written) return Status::kFailed;
                    if constexpr (kWrite) std::memcpy(destination + written, destination + written - offset, 16);
                    written += length;
                    return Status::kGoOn;
                }
            }
            return copy(offset, length) ? Status::kGoOn : Status::kFailed;
        }
        if (!bit(flag)) return Status::kFailed;
        if (flag == 0) {  // short match, or the end marker
            if (!byte(value)) return Status::kFailed;
            if ((value >> 1) == 0) return Status::kEnded;
            offset = value >> 1;
            length = 2 + (value & 1);
            return copy(offset, length) ? Status::kGoOn : Status::kFailed;
        }
        // Single byte: a zero, or the byte 1 to 15 back.
        uint32_t distance = 0;
        if (!kChecked && bits << 4) {  // all four bits in this tag byte
            distance = bits >> 28;
            bits <<= 4;
        } else {
            for (int i = 0; i < 4; ++i) {
                if (!bit(flag)) return Status::kFailed;
                distance = distance * 2 + flag;
            }
        }
        if (!kChecked) {
            if (written == capacity || distance > written) return Status::kFailed;
            if constexpr (kWrite) destination[written] = distance ? destination[written - distance] : 0;
            ++written;
            return Status::kGoOn;
        }
        return (distance == 0 ? put(0) : copy(distance, 1)) ? Status::kGoOn : Status::kFailed;
    };

    Status status = Status::kGoOn;
    while (status == Status::kGoOn && (kChecked || end - at >= kStreamMargin)) status = step();
    position = {at, written, lastOffset, bits};
    return status;
}

template <bool kWrite>
int32_t Unpack(const uint8_t* source, int32_t packedLength, uint8_t* destination, int32_t size) {
    const uint8_t* end = source + packedLength;
    const uint64_t capacity = static_cast<uint64_t>(size);
    Position position{source, 0, 0, kNoBits};
    Status status = Decode<kWrite, false>(position, end, destination, capacity);
    if (status == Status::kGoOn) status = Decode<kWrite, true>(position, end, destination, capacity);
    return status == Status::kEnded && position.written == capacity ? 1 : 0;
}

}  // namespace

int32_t DecompressData(const uint8_t* source, int32_t packedLength, uint8_t* destination,
                       int32_t size) {
    if (!source || packedLength < 0 || size < 0) return 0;
    if (!destination) return Unpack<false>(source, packedLength, nullptr, size);
    return Unpack<true>(source, packedLength, destination, size);
}
