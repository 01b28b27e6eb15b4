// DecompressData on any block: the first three bytes give the claimed size
// (below 1 MB), the rest is the packed block. It must never read or write
// outside the two buffers, its dry run must judge the block the same way, and
// so must the plain one-bit-at-a-time reading, whose output a sound block
// must reproduce.
#include <sanitizer/asan_interface.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "data/plain_unpack.h"

namespace {

constexpr size_t kLargestClaim = 0xFFFFF;
constexpr size_t kTail = 64;

size_t Granule(size_t bytes) { return bytes & ~size_t{7}; }

// An output buffer of exactly the claimed size, as the sanitizer sees it: the
// start of a block made once for the largest claim, with every byte after the
// claimed ones poisoned. A fresh allocation of up to 1 MB for every run costs
// a new mapping and its page faults, most of the time a run takes. Every
// poisoning starts on an 8-byte granule of the shadow, so that the claimed
// size is marked to the byte.
class ClaimedBuffer {
public:
    ClaimedBuffer() : block_(static_cast<uint8_t*>(std::malloc(kLargestClaim + kTail))) {
        if (!block_) std::abort();
        ASAN_POISON_MEMORY_REGION(block_, kLargestClaim + kTail);
    }

    // The block with size usable bytes; only what changed is marked anew.
    uint8_t* Claim(size_t size) {
        if (size > usable_) {
            const size_t from = Granule(usable_);
            ASAN_UNPOISON_MEMORY_REGION(block_ + from, size - from);
        } else if (size < usable_) {
            const size_t from = Granule(size);
            ASAN_POISON_MEMORY_REGION(block_ + from, Granule(usable_ + 7) - from);
            ASAN_UNPOISON_MEMORY_REGION(block_ + from, size - from);
        }
        usable_ = size;
        return block_;
    }

private:
    uint8_t* block_;
    size_t usable_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static ClaimedBuffer outBuffer, plainBuffer;
    int32_t claimed = (data[0] | data[1] << 8 | data[2] << 16) & static_cast<int32_t>(kLargestClaim);
    int32_t packedLength = static_cast<int32_t>(size - 3);
    // An exact-size copy, so the sanitizer sees the first byte beyond it.
    auto* packed = static_cast<uint8_t*>(std::malloc(packedLength ? packedLength : 1));
    std::memcpy(packed, data + 3, static_cast<size_t>(packedLength));
    uint8_t* out = outBuffer.Claim(static_cast<size_t>(claimed));
    uint8_t* plain = plainBuffer.Claim(static_cast<size_t>(claimed));
    int32_t sound = DecompressData(packed, packedLength, out, claimed);
    if (sound != DecompressData(packed, packedLength, nullptr, claimed)) std::abort();
    if (sound != PlainUnpack(packed, packedLength, plain, claimed)) std::abort();
    if (sound && std::memcmp(out, plain, static_cast<size_t>(claimed)) != 0) std::abort();
    std::free(packed);
    return 0;
}
