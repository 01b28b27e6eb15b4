// The archive's block format read the plainest way, one control bit and one
// byte at a time with every read and write checked: the reading that the
// unpacker's faster loops must agree with, block for block.
#pragma once

#include <cstdint>

// 1 when the block ends with its end marker having written exactly size
// bytes to destination, else 0.
int32_t PlainUnpack(const uint8_t* source, int32_t packedLength, uint8_t* destination, int32_t size);
