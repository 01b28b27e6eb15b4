// Unpacking one packed block of the archive. Control bits come from tag bytes
// interleaved with the data bytes, most significant bit first; every read of
// the block and every write of the output is bounded.
#include <cstring>

#include "data/data_archive.h"

namespace {

struct PackedStream {
    const uint8_t* at;
    const uint8_t* end;
    uint32_t tag;
    int bitsLeft;

    // The next control bit; a used-up tag byte is replaced by the next stream byte.
    bool Bit(uint32_t& bit) {
        if (bitsLeft == 0) {
            if (at == end) return false;
            tag = *at++;
            bitsLeft = 8;
        }
        --bitsLeft;
        bit = (tag >> bitsLeft) & 1;
        return true;
    }

    bool Byte(uint32_t& byte) {
        if (at == end) return false;
        byte = *at++;
        return true;
    }

    // A number code: (continue, data) bit pairs appended to a leading 1. A value
    // above limit can be no valid offset or length, so reading stops there.
    bool Number(uint64_t limit, uint64_t& value) {
        value = 1;
        uint32_t more, bit;
        do {
            if (!Bit(more) || !Bit(bit)) return false;
            value = value * 2 + bit;
            if (value > limit) return false;
        } while (more);
        return true;
    }
};

// Writes into destination, or with kWrite false only follows the block and
// counts, so that a claimed size can be proven before it is allocated.
template <bool kWrite>
int32_t Unpack(const uint8_t* source, int32_t packedLength, uint8_t* destination, int32_t size) {
    PackedStream stream{source, source + packedLength, 0, 0};
    const uint64_t capacity = static_cast<uint64_t>(size);
    uint64_t written = 0;
    uint64_t lastOffset = 0;  // none before the first normal match
    // No number in a block of this size can exceed this: offsets need (G - 3) * 256 <= size.
    const uint64_t limit = capacity + 3;

    // Copies front to back, so an offset below the length repeats fresh output.
    auto copy = [&](uint64_t offset, uint64_t length) {
        if (offset == 0 || offset > written || length > capacity - written) return false;
        if constexpr (kWrite) {
            uint8_t* out = destination + written;
            const uint8_t* from = out - offset;
            if (offset >= length) {
                std::memcpy(out, from, length);
            } else if (offset == 1) {
                std::memset(out, *from, length);
            } else {
                for (uint64_t i = 0; i < length; ++i) out[i] = from[i];
            }
        }
        written += length;
        return true;
    };
    auto put = [&](uint32_t byte) {
        if (written == capacity) return false;
        if constexpr (kWrite) destination[written] = static_cast<uint8_t>(byte);
        ++written;
        return true;
    };

    for (;;) {
        uint32_t bit, byte;
        if (!stream.Bit(bit)) return 0;
        if (bit == 0) {  // literal
            if (!stream.Byte(byte) || !put(byte)) return 0;
            continue;
        }
        if (!stream.Bit(bit)) return 0;
        if (bit == 0) {  // match with a number code
            uint64_t code, length;
            if (!stream.Number(limit, code)) return 0;
            if (code == 2) {  // repeat match at the last offset
                if (!stream.Number(limit, length)) return 0;
                if (!copy(lastOffset, length)) return 0;
            } else {
                if (!stream.Byte(byte)) return 0;
                uint64_t offset = (code - 3) * 256 + byte;
                if (!stream.Number(limit, length)) return 0;
                if (offset <= 127) length += 2;
                lastOffset = offset;
                if (!copy(offset, length)) return 0;
            }
            continue;
        }
        if (!stream.Bit(bit)) return 0;
        if (bit == 0) {  // short match, or the end marker
            if (!stream.Byte(byte)) return 0;
            if ((byte >> 1) == 0) return written == capacity ? 1 : 0;
            if (!copy(byte >> 1, 2 + (byte & 1))) return 0;
            continue;
        }
        // Single byte: a zero, or the byte 1 to 15 back.
        uint32_t distance = 0;
        for (int i = 0; i < 4; ++i) {
            if (!stream.Bit(bit)) return 0;
            distance = distance * 2 + bit;
        }
        if (distance == 0 ? !put(0) : !copy(distance, 1)) return 0;
    }
}

}  // namespace

int32_t DecompressData(const uint8_t* source, int32_t packedLength, uint8_t* destination,
                       int32_t size) {
    if (!source || packedLength < 0 || size < 0) return 0;
    if (!destination) return Unpack<false>(source, packedLength, nullptr, size);
    return Unpack<true>(source, packedLength, destination, size);
}
