// The channels of 32-bit BMP pixels. A plain (BI_RGB) file keeps blue,
// green and red in its first three bytes and leaves the fourth unused, which
// most writers fill with 0: it is no alpha. Bit-field files name where each
// channel lies; the later headers (56 bytes and more) can name an alpha mask
// as well, and only then does the picture carry alpha.
#include "texture/image_files.h"

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

constexpr uint32_t kBitFields = 3;
constexpr int64_t kMasksAt = 54;  // after a 40-byte header, or within a longer one
constexpr uint32_t kAlphaMaskHeader = 56;

// The channel under mask widened or narrowed to 8 bits; none without a mask.
uint32_t Channel(uint32_t word, uint32_t mask, uint32_t none) {
    if (!mask) return none;
    int shift = __builtin_ctz(mask);
    uint64_t most = mask >> shift;
    uint64_t value = (word & mask) >> shift;
    return static_cast<uint32_t>((value * 255 + most / 2) / most);
}

}  // namespace

BmpMasks BmpMasksOf(const uint8_t* data, int64_t size) {
    BmpMasks masks{0x00FF0000, 0x0000FF00, 0x000000FF, 0};
    if (!data || size < 34) return masks;
    uint32_t infoSize = U32(data + 14);
    uint32_t compression = U32(data + 30);
    if (compression == kBitFields && size >= kMasksAt + 12) {
        masks.red = U32(data + kMasksAt);
        masks.green = U32(data + kMasksAt + 4);
        masks.blue = U32(data + kMasksAt + 8);
    }
    if (infoSize >= kAlphaMaskHeader && size >= kMasksAt + 16) masks.alpha = U32(data + kMasksAt + 12);
    return masks;
}

uint32_t BmpPixelWord(uint32_t word, const BmpMasks& masks) {
    return Channel(word, masks.red, 0) << 24 | Channel(word, masks.green, 0) << 16 |
           Channel(word, masks.blue, 0) << 8 | Channel(word, masks.alpha, 255);
}
