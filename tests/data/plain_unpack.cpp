#include "data/plain_unpack.h"

namespace {

struct Reader {
    const uint8_t* at;
    const uint8_t* end;
    uint32_t tag = 0;
    int left = 0;  // bits of the tag byte not yet read

    bool Bit(uint32_t& bit) {
        if (left == 0) {
            if (at == end) return false;
            tag = *at++;
            left = 8;
        }
        bit = tag >> --left & 1;
        return true;
    }
    bool Byte(uint32_t& byte) {
        if (at == end) return false;
        byte = *at++;
        return true;
    }
    // Numbers beyond 2^40 are refused only to keep the arithmetic exact: any
    // number above the block's size fails its copy anyway.
    bool Number(uint64_t& value) {
        value = 1;
        uint32_t more, bit;
        do {
            if (!Bit(more) || !Bit(bit) || value >> 40) return false;
            value = value * 2 + bit;
        } while (more);
        return true;
    }
};

}  // namespace

int32_t PlainUnpack(const uint8_t* source, int32_t packedLength, uint8_t* destination, int32_t size) {
    Reader in{source, source + packedLength};
    uint64_t written = 0, lastOffset = 0;
    const uint64_t capacity = static_cast<uint64_t>(size);
    auto copy = [&](uint64_t offset, uint64_t length) {
        if (offset == 0 || offset > written || length > capacity - written) return false;
        for (uint64_t i = 0; i < length; ++i, ++written) destination[written] = destination[written - offset];
        return true;
    };
    for (;;) {
        uint32_t bit, byte;
        if (!in.Bit(bit)) return 0;
        if (bit == 0) {  // literal
            if (!in.Byte(byte) || written == capacity) return 0;
            destination[written++] = static_cast<uint8_t>(byte);
            continue;
        }
        if (!in.Bit(bit)) return 0;
        if (bit == 0) {
            uint64_t code, length;
            if (!in.Number(code)) return 0;
            if (code == 2) {  // repeat match
                if (!in.Number(length) || !copy(lastOffset, length)) return 0;
                continue;
            }
            if (!in.Byte(byte)) return 0;
            uint64_t offset = (code - 3) * 256 + byte;
            if (!in.Number(length)) return 0;
            if (offset <= 127) length += 2;
            lastOffset = offset;
            if (!copy(offset, length)) return 0;
            continue;
        }
        if (!in.Bit(bit)) return 0;
        if (bit == 0) {  // short match or end marker
            if (!in.Byte(byte)) return 0;
            if (byte >> 1 == 0) return written == capacity ? 1 : 0;
            if (!copy(byte >> 1, 2 + (byte & 1))) return 0;
            continue;
        }
        uint32_t distance = 0;
        for (int i = 0; i < 4; ++i) {
            if (!in.Bit(bit)) return 0;
            distance = distance * 2 + bit;
        }
        if (distance == 0) {
            if (written == capacity) return 0;
            destination[written++] = 0;
        } else if (!copy(distance, 1)) {
            return 0;
        }
    }
}
