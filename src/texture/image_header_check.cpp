// Header checks made before an image reaches the decoder: dimensions, depth,
// palette and data offsets must agree with the bytes that are there, so that
// the decoder's run-length and palette paths never step outside them, and
// the file must be of a kind the decoder reads. Each refusal says why.
#include <cstring>

#include "texture/image_files.h"

namespace {

const char* const kCutShort = "the header is cut short or is not of its format";
const char* const kTooLarge = "the picture is larger than 16 M pixels or 8192 pixels on a side";
const char* const kNoSize = "the picture has no size";
const char* const kOutside = "the palette or the pixels reach past the end of the file";
const char* const kDamagedRuns = "run-length data damaged or ending before the picture does";

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
int32_t S32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

struct Size {
    int64_t width = 0, height = 0;
};

// Notes the picture's size and says whether a texture may take it.
const char* SizeFault(int64_t width, int64_t height, Size& picture) {
    picture = {width, height};
    if (width <= 0 || height <= 0) return kNoSize;
    // Each side is bounded first, so that the product cannot overflow.
    if (width > kLargestTextureSide || height > kLargestTextureSide || width * height * 4 > kLargestTextureBytes)
        return kTooLarge;
    return nullptr;
}

const char* BmpFault(const uint8_t* d, int64_t size, Size& picture) {
    if (size < 26 || d[0] != 'B' || d[1] != 'M') return kCutShort;
    uint32_t dataOffset = U32(d + 10);
    uint32_t infoSize = U32(d + 14);
    int64_t width, height;
    uint32_t bits, compression = 0, colours = 0;
    if (infoSize == 12) {
        width = U16(d + 18);
        height = U16(d + 20);
        bits = U16(d + 24);
    } else if (infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 108 || infoSize == 124) {
        if (size < 14 + static_cast<int64_t>(infoSize)) return kCutShort;
        width = S32(d + 18);
        height = S32(d + 22);
        if (U16(d + 26) != 1) return "a BMP of more than one plane";
        bits = U16(d + 28);
        compression = U32(d + 30);
        colours = U32(d + 46);
    } else {
        return "a BMP info header of an unsupported kind";
    }
    bool topDown = height < 0;
    if (topDown) height = -height;
    if (const char* fault = SizeFault(width, height, picture)) return fault;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return "an unsupported BMP depth";
    // Uncompressed, 8- and 4-bit run-length, or bit fields at 16 and 32 bits.
    if (compression > 3 || (compression == 1 && bits != 8) || (compression == 2 && bits != 4) ||
        (compression == 3 && bits != 16 && bits != 32))
        return "an unsupported BMP compression for its depth";
    // Run-length pictures are stored from the bottom up only.
    if (topDown && (compression == 1 || compression == 2)) return kDamagedRuns;
    // The three masks of bit fields follow a 40-byte header.
    int64_t headerEnd = 14 + static_cast<int64_t>(infoSize) + (compression == 3 && infoSize == 40 ? 12 : 0);
    if (dataOffset >= size || dataOffset < headerEnd) return kOutside;
    if (bits <= 8) {
        uint32_t most = 1u << bits;
        if (colours > most) return "more palette colours than the depth can index";
        uint32_t entrySize = infoSize == 12 ? 3 : 4;
        if (colours != 0 && headerEnd + static_cast<int64_t>(colours) * entrySize > dataOffset) return kOutside;
    } else if (colours > 256) {
        return "more palette colours than a BMP holds";
    }
    if (compression == 1 || compression == 2) return BmpRunsAreSound(d, size) ? nullptr : kDamagedRuns;
    int64_t rowBytes = ((width * bits + 31) / 32) * 4;
    if (dataOffset + rowBytes * height > size) return "the pixel data ends before the picture does";
    return nullptr;
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

const char* TgaFault(const uint8_t* d, int64_t size, Size& picture) {
    if (size < 18) return kCutShort;
    uint32_t idLength = d[0], mapType = d[1], type = d[2];
    uint32_t mapFirst = U16(d + 3), mapLength = U16(d + 5), mapBits = d[7];
    int64_t width = U16(d + 12), height = U16(d + 14);
    uint32_t bits = d[16];
    if (mapType > 1) return "a TGA colour map of an unsupported kind";
    if (const char* fault = SizeFault(width, height, picture)) return fault;
    int64_t mapBytes = 0;
    if (mapType == 1) {
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            return "a TGA colour map of an unsupported depth";
        mapBytes = static_cast<int64_t>(mapLength) * ((mapBits + 7) / 8);
    }
    switch (type) {
    case 1:
    case 9:
        if (mapType != 1 || bits != 8 || mapLength == 0 || mapFirst + mapLength > 256)
            return "a colour-mapped TGA without a usable colour map";
        break;
    case 2:
    case 10:
        if (bits != 15 && bits != 16 && bits != 24 && bits != 32) return "an unsupported TGA depth";
        break;
    case 3:
    case 11:
        if (bits != 8) return "an unsupported TGA depth";
        break;
    default:
        return "an unsupported TGA image type";
    }
    int64_t dataOffset = 18 + idLength + mapBytes;
    if (dataOffset >= size) return kOutside;
    int64_t pixelBytes = (bits + 7) / 8;
    if (type < 9)
        return dataOffset + width * height * pixelBytes <= size ? nullptr : "the pixel data ends before the picture does";
    return TgaRunsCoverImage(d + dataOffset, size - dataOffset, width * height, pixelBytes) ? nullptr : kDamagedRuns;
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

const char* PcxFault(const uint8_t* d, int64_t size, Size& picture) {
    if (size <= 128 || d[0] != 0x0A || d[2] > 1) return kCutShort;
    if (d[1] > 5) return "a PCX of an unknown version";
    uint32_t bits = d[3];
    uint32_t xMin = U16(d + 4), yMin = U16(d + 6), xMax = U16(d + 8), yMax = U16(d + 10);
    uint32_t planes = d[65], lineBytes = U16(d + 66);
    if (xMax < xMin || yMax < yMin) return kNoSize;
    int64_t width = static_cast<int64_t>(xMax) - xMin + 1, height = static_cast<int64_t>(yMax) - yMin + 1;
    if (const char* fault = SizeFault(width, height, picture)) return fault;
    bool known = (bits == 1 && (planes == 1 || planes == 4)) || (bits == 4 && planes == 1) ||
                 (bits == 8 && (planes == 1 || planes == 3));
    if (!known) return "an unsupported PCX depth (bits per pixel and planes)";
    // The decoder takes no picture of a single line or column.
    if (width == 1 || height == 1) return "PCX pictures one pixel wide or high are not read";
    if (lineBytes == 0 || lineBytes < (width * bits + 7) / 8 || lineBytes > width * bits / 8 + 8)
        return "PCX lines of a length that does not fit the width";
    // A 256-colour image keeps its palette in the last 769 bytes.
    if (bits == 8 && planes == 1 && size < 128 + 769) return kOutside;
    int64_t imageBytes = static_cast<int64_t>(lineBytes) * planes * height;
    if (d[2] == 0) return 128 + imageBytes <= size ? nullptr : "the pixel data ends before the picture does";
    return PcxRunsCoverImage(d, size, imageBytes) ? nullptr : kDamagedRuns;
}

const char* PngFault(const uint8_t* d, int64_t size, Size& picture) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
    if (size < 33 || std::memcmp(d, signature, 8) != 0 || std::memcmp(d + 12, "IHDR", 4) != 0) return kCutShort;
    auto big = [](const uint8_t* p) {
        return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | p[2] << 8 | p[3];
    };
    return SizeFault(big(d + 16), big(d + 20), picture);
}

const char* JpgFault(const uint8_t* d, int64_t size, Size& picture) {
    if (size < 4 || d[0] != 0xFF || d[1] != 0xD8) return kCutShort;
    // The first frame header gives the size.
    int64_t at = 2;
    while (at + 4 <= size) {
        if (d[at] != 0xFF) return "a JPEG whose markers are damaged before its frame header";
        uint8_t marker = d[at + 1];
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        int64_t length = U16(d + at + 2) >> 8 | (U16(d + at + 2) & 255) << 8;
        if (length < 2) return "a JPEG whose markers are damaged before its frame header";
        bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 8 || at + 2 + length > size) return kCutShort;
            int64_t height = d[at + 5] << 8 | d[at + 6];
            int64_t width = d[at + 7] << 8 | d[at + 8];
            return SizeFault(width, height, picture);
        }
        if (marker == 0xD9 || marker == 0xDA) return "a JPEG without a frame header before its image data";
        at += 2 + length;
    }
    return kCutShort;
}

}  // namespace

ImageHeaderVerdict CheckImageHeader(ImageFormat format, const uint8_t* data, int64_t size) {
    if (!data || size <= 0) return {"the file is empty", 0, 0};
    Size picture;
    const char* fault;
    switch (format) {
    case ImageFormat::Bmp: fault = BmpFault(data, size, picture); break;
    case ImageFormat::Tga: fault = TgaFault(data, size, picture); break;
    case ImageFormat::Jpg: fault = JpgFault(data, size, picture); break;
    case ImageFormat::Png: fault = PngFault(data, size, picture); break;
    default: fault = PcxFault(data, size, picture); break;
    }
    return {fault, picture.width, picture.height};
}
