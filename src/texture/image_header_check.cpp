// Header checks made before an image reaches the decoder: dimensions, depth,
// palette and data offsets must agree with the bytes that are there, so that
// the decoder's run-length and palette paths never step outside them.
#include <cstring>

#include "texture/texture_container.h"

namespace {

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

bool SizeAllowed(int64_t width, int64_t height) {
    // Each side is bounded first, so that the product cannot overflow.
    return width > 0 && height > 0 && width <= kLargestTextureBytes && height <= kLargestTextureBytes &&
           width * height * 4 <= kLargestTextureBytes;
}

bool BmpIsSound(const uint8_t* d, int64_t size) {
    if (size < 26 || d[0] != 'B' || d[1] != 'M') return false;
    uint32_t dataOffset = U32(d + 10);
    uint32_t infoSize = U32(d + 14);
    int64_t width, height;
    uint32_t bits, compression = 0, colours = 0;
    if (infoSize == 12) {
        width = U16(d + 18);
        height = U16(d + 20);
        bits = U16(d + 24);
    } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 ||
               infoSize == 108 || infoSize == 124) {
        if (size < 14 + static_cast<int64_t>(infoSize)) return false;
        width = S32(d + 18);
        height = S32(d + 22);
        if (U16(d + 26) != 1) return false;
        bits = U16(d + 28);
        compression = U32(d + 30);
        colours = U32(d + 46);
    } else {
        return false;
    }
    if (height < 0) height = -height;
    if (!SizeAllowed(width, height)) return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    // Uncompressed, 8- and 4-bit run-length, or bit fields at 16 and 32 bits.
    if (compression > 3) return false;
    if (compression == 1 && bits != 8) return false;
    if (compression == 2 && bits != 4) return false;
    if (compression == 3 && bits != 16 && bits != 32) return false;
    if (dataOffset >= size || dataOffset < 14 + infoSize) return false;
    if (bits <= 8) {
        uint32_t most = 1u << bits;
        if (colours > most) return false;
        uint32_t entries = colours ? colours : most;
        uint32_t entrySize = infoSize == 12 ? 3 : 4;
        if (14 + static_cast<int64_t>(infoSize) + static_cast<int64_t>(entries) * entrySize > dataOffset &&
            colours != 0)
            return false;
    } else if (colours > 256) {
        return false;
    }
    if (compression == 0 || compression == 3) {
        int64_t rowBytes = ((width * bits + 31) / 32) * 4;
        if (dataOffset + rowBytes * height > size) return false;
    }
    return true;
}

// The decoder reads run-length packets past the end of the data when they
// stop short of the image, so the packets must cover every pixel.
bool TgaRunsCoverImage(const uint8_t* d, int64_t size, int64_t pixels, int64_t pixelBytes) {
    int64_t at = 0;
    while (pixels > 0) {
        if (at >= size) return false;
        uint8_t packet = d[at++];
        int64_t count = (packet & 0x7F) + 1;
        at += packet & 0x80 ? pixelBytes : count * pixelBytes;
        if (at > size) return false;
        pixels -= count;
    }
    return true;
}

bool TgaIsSound(const uint8_t* d, int64_t size) {
    if (size < 18) return false;
    uint32_t idLength = d[0], mapType = d[1], type = d[2];
    uint32_t mapFirst = U16(d + 3), mapLength = U16(d + 5), mapBits = d[7];
    int64_t width = U16(d + 12), height = U16(d + 14);
    uint32_t bits = d[16];
    if (mapType > 1) return false;
    if (!SizeAllowed(width, height)) return false;
    int64_t mapBytes = 0;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return false;
        mapBytes = static_cast<int64_t>(mapLength) * ((mapBits + 7) / 8);
    }
    switch (type) {
    case 1:
    case 9:
        if (mapType != 1 || bits != 8 || mapLength == 0 || mapFirst + mapLength > 256) return false;
        break;
    case 2:
    case 10:
        if (bits != 15 && bits != 16 && bits != 24 && bits != 32) return false;
        break;
    case 3:
    case 11:
        if (bits != 8) return false;
        break;
    default:
        return false;
    }
    int64_t dataOffset = 18 + idLength + mapBytes;
    if (dataOffset >= size) return false;
    int64_t pixelBytes = (bits + 7) / 8;
    if (type < 9) return dataOffset + width * height * pixelBytes <= size;
    return TgaRunsCoverImage(d + dataOffset, size - dataOffset, width * height, pixelBytes);
}

// The decoder goes on with bytes it never read when the runs end before the
// picture does, so they must cover every line of every plane.
bool PcxRunsCoverImage(const uint8_t* d, int64_t size, int64_t bytes) {
    int64_t at = 128;
    while (bytes > 0) {
        if (at >= size) return false;
        uint8_t byte = d[at++];
        if ((byte & 0xC0) == 0xC0) {
            if (at >= size) return false;
            ++at;
            bytes -= byte & 0x3F;
        } else {
            --bytes;
        }
    }
    return true;
}

bool PcxIsSound(const uint8_t* d, int64_t size) {
    if (size <= 128 || d[0] != 0x0A || d[2] > 1) return false;
    uint32_t bits = d[3];
    uint32_t xMin = U16(d + 4), yMin = U16(d + 6), xMax = U16(d + 8), yMax = U16(d + 10);
    uint32_t planes = d[65], lineBytes = U16(d + 66);
    if (xMax < xMin || yMax < yMin) return false;
    int64_t width = static_cast<int64_t>(xMax) - xMin + 1, height = static_cast<int64_t>(yMax) - yMin + 1;
    if (!SizeAllowed(width, height)) return false;
    bool known = (bits == 1 && (planes == 1 || planes == 4)) || (bits == 4 && planes == 1) ||
                 (bits == 8 && (planes == 1 || planes == 3));
    if (!known) return false;
    if (lineBytes == 0 || lineBytes < (width * bits + 7) / 8 || lineBytes > width * bits / 8 + 8)
        return false;
    // A 256-colour image keeps its palette in the last 769 bytes.
    if (bits == 8 && planes == 1 && size < 128 + 769) return false;
    int64_t imageBytes = static_cast<int64_t>(lineBytes) * planes * height;
    if (d[2] == 0) return 128 + imageBytes <= size;
    return PcxRunsCoverImage(d, size, imageBytes);
}

bool PngIsSound(const uint8_t* d, int64_t size) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    if (size < 33 || std::memcmp(d, signature, 8) != 0 || std::memcmp(d + 12, "IHDR", 4) != 0)
        return false;
    auto big = [](const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | p[2] << 8 | p[3];
    };
    uint32_t width = big(d + 16), height = big(d + 20);
    return SizeAllowed(width, height);
}

bool JpgIsSound(const uint8_t* d, int64_t size) {
    if (size < 4 || d[0] != 0xFF || d[1] != 0xD8) return false;
    // The first frame header gives the size.
    int64_t at = 2;
    while (at + 4 <= size) {
        if (d[at] != 0xFF) return false;
        uint8_t marker = d[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        int64_t length = U16(d + at + 2) >> 8 | (U16(d + at + 2) & 255) << 8;
        if (length < 2) return false;
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 8 || at + 2 + length > size) return false;
            int64_t height = d[at + 5] << 8 | d[at + 6];
            int64_t width = d[at + 7] << 8 | d[at + 8];
            return SizeAllowed(width, height);
        }
        if (marker == 0xD9 || marker == 0xDA) return false;
        at += 2 + length;
    }
    return false;
}

}  // namespace

bool ImageHeaderIsSound(ImageFormat format, const uint8_t* data, int64_t size) {
    if (!data || size <= 0) return false;
    switch (format) {
    case ImageFormat::Bmp: return BmpIsSound(data, size);
    case ImageFormat::Tga: return TgaIsSound(data, size);
    case ImageFormat::Jpg: return JpgIsSound(data, size);
    case ImageFormat::Png: return PngIsSound(data, size);
    default: return PcxIsSound(data, size);
    }
}
