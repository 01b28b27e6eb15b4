// DecompressData on any block: the first three bytes give the claimed size
// (below 1 MB), the rest is the packed block. It must never read or write
// outside the two buffers, its dry run must judge the block the same way, and
// so must the plain one-bit-at-a-time reading, whose output a sound block
// must reproduce.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "data/plain_unpack.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    int32_t claimed = (data[0] | data[1] << 8 | data[2] << 16) & 0xFFFFF;
    int32_t packedLength = static_cast<int32_t>(size - 3);
    // Exact-size copies, so the sanitizer sees the first byte beyond either.
    auto* packed = static_cast<uint8_t*>(std::malloc(packedLength ? packedLength : 1));
    std::memcpy(packed, data + 3, static_cast<size_t>(packedLength));
    auto* out = static_cast<uint8_t*>(std::malloc(claimed ? claimed : 1));
    auto* plain = static_cast<uint8_t*>(std::malloc(claimed ? claimed : 1));
    int32_t sound = DecompressData(packed, packedLength, out, claimed);
    if (sound != DecompressData(packed, packedLength, nullptr, claimed)) std::abort();
    if (sound != PlainUnpack(packed, packedLength, plain, claimed)) std::abort();
    if (sound && std::memcmp(out, plain, static_cast<size_t>(claimed)) != 0) std::abort();
    std::free(plain);
    std::free(out);
    std::free(packed);
    return 0;
}
