// BMP files with the longer info headers of later Windows versions (52, 56,
// 108 or 124 bytes: bit masks, colour space, ICC profile fields) are what
// today's image editors write. The decoder reads only the 40-byte header, so
// such a file is given to it with its header cut to 40 bytes: the pixels,
// the palette and, for bit-field images, the three masks stay as they are.
#include <cstring>

#include "texture/image_files.h"

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

void PutU32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr uint32_t kFileHeaderSize = 14;
constexpr uint32_t kShortInfoSize = 40;
constexpr uint32_t kBitFields = 3;

}  // namespace

bool ShortenBmpInfoHeader(const uint8_t* data, int64_t size, std::vector<uint8_t>& shortened) {
    if (!data || size < kFileHeaderSize + 4 || data[0] != 'B' || data[1] != 'M') return false;
    uint32_t infoSize = U32(data + 14);
    if (infoSize != 52 && infoSize != 56 && infoSize != 108 && infoSize != 124) return false;
    uint32_t dataOffset = U32(data + 10);
    if (size < kFileHeaderSize + infoSize || dataOffset < kFileHeaderSize + infoSize ||
        dataOffset > size)
        return false;
    uint32_t compression = U32(data + 30);
    // The short header is followed by the red, green and blue masks when the
    // pixels are bit fields; the long headers hold them at that same place.
    uint32_t kept = kShortInfoSize + (compression == kBitFields ? 12 : 0);
    uint32_t dropped = infoSize - kept;
    shortened.assign(data, data + kFileHeaderSize + kept);
    shortened.insert(shortened.end(), data + kFileHeaderSize + infoSize, data + size);
    PutU32(shortened.data() + 2, static_cast<uint32_t>(shortened.size()));
    PutU32(shortened.data() + 10, dataOffset - dropped);
    PutU32(shortened.data() + 14, kShortInfoSize);
    return true;
}
