// PCX files the decoder would misread are given to it rewritten into the
// layouts it reads correctly: run-length coded, and of one plane of 8 bits
// (with the 256-colour palette at the end) or three planes of 8 bits. Its
// uncompressed path loses its place after the first line, and it mixes up
// the planes of 16-colour pictures; so uncompressed files are coded, and
// 16-colour pictures (one plane of 4 bits, or four planes of 1 bit, bit n
// of each colour index in plane n) become 256-colour ones whose first 16
// palette entries are the header's.
#include <algorithm>
#include <cstring>

#include "texture/image_files.h"

namespace {

constexpr int64_t kHeaderSize = 128;
constexpr int64_t kPaletteSize = 769;  // the marker 12 and 256 entries of red, green, blue
constexpr int64_t kHeaderPalette = 16;

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
void PutU16(uint8_t* p, uint32_t value) { p[0] = static_cast<uint8_t>(value), p[1] = static_cast<uint8_t>(value >> 8); }

bool SixteenColours(const uint8_t* d) { return (d[3] == 4 && d[65] == 1) || (d[3] == 1 && d[65] == 4); }

// Writes bytes in run-length form at out, which has room for twice their
// count: repeats as runs of up to 63, and single bytes that look like a count
// as runs of one. Returns the end of what it wrote.
uint8_t* PutCoded(uint8_t* out, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count;) {
        uint8_t byte = bytes[i];
        size_t run = 1;
        while (i + run < count && run < 63 && bytes[i + run] == byte) ++run;
        if (run > 1 || (byte & 0xC0) == 0xC0) *out++ = static_cast<uint8_t>(0xC0 | run);
        *out++ = byte;
        i += run;
    }
    return out;
}

}  // namespace

bool PcxNeedsRewrite(const uint8_t* data, int64_t size) {
    return data && size > kHeaderSize && (data[2] == 0 || SixteenColours(data));
}

bool RewritePcx(const uint8_t* data, int64_t size, std::vector<uint8_t>& rewritten) {
    if (!PcxNeedsRewrite(data, size) || data[0] != 0x0A) return false;
    int64_t width = static_cast<int64_t>(U16(data + 8)) - U16(data + 4) + 1;
    int64_t height = static_cast<int64_t>(U16(data + 10)) - U16(data + 6) + 1;
    int64_t planes = data[65], lineBytes = U16(data + 66);
    if (width <= 0 || height <= 0 || width > kLargestTextureSide || height > kLargestTextureSide || planes == 0 ||
        planes > 4 || lineBytes == 0 || lineBytes * 8 < width * data[3] ||
        lineBytes * planes * height > 4 * kLargestTextureBytes)
        return false;

    // Every line of every plane as it is stored, top line first.
    std::vector<uint8_t> lines(static_cast<size_t>(lineBytes * planes * height));
    if (data[2] == 0) {
        if (size - kHeaderSize < static_cast<int64_t>(lines.size())) return false;
        std::memcpy(lines.data(), data + kHeaderSize, lines.size());
    }
    int64_t at = kHeaderSize;
    for (size_t filled = 0; data[2] == 1 && filled < lines.size();) {
        if (at >= size) return false;
        uint8_t byte = data[at++];
        size_t count = 1;
        if ((byte & 0xC0) == 0xC0) {
            if (at >= size) return false;
            count = std::min<size_t>(byte & 0x3F, lines.size() - filled);
            byte = data[at++];
        }
        std::memset(lines.data() + filled, byte, count);
        filled += count;
    }

    // Room for the header, every byte coded as a run of one, and a palette.
    int64_t codedBytes = SixteenColours(data) ? ((width + 1) & ~int64_t{1}) * height : lineBytes * planes * height;
    rewritten.assign(static_cast<size_t>(kHeaderSize + 2 * codedBytes + kPaletteSize), 0);
    std::memcpy(rewritten.data(), data, kHeaderSize);
    rewritten[2] = 1;
    uint8_t* out = rewritten.data() + kHeaderSize;
    if (!SixteenColours(data)) {
        for (int64_t y = 0; y < height * planes; ++y)
            out = PutCoded(out, lines.data() + y * lineBytes, static_cast<size_t>(lineBytes));
        // A 256-colour picture keeps its palette at the end.
        if (data[3] == 8 && planes == 1) {
            if (size < kHeaderSize + kPaletteSize) return false;
            std::memcpy(out, data + size - kPaletteSize, kPaletteSize);
            out += kPaletteSize;
        }
        rewritten.resize(static_cast<size_t>(out - rewritten.data()));
        return true;
    }

    int64_t indexBytes = (width + 1) & ~int64_t{1};  // kept even, as the format wants
    rewritten[1] = 5;  // the version that has a 256-colour palette
    rewritten[3] = 8;
    rewritten[65] = 1;
    PutU16(rewritten.data() + 66, static_cast<uint32_t>(indexBytes));
    std::vector<uint8_t> indices(static_cast<size_t>(indexBytes));
    bool packed = data[3] == 4;
    for (int64_t y = 0; y < height; ++y) {
        const uint8_t* line = lines.data() + y * lineBytes * planes;
        std::fill(indices.begin(), indices.end(), 0);
        for (int64_t x = 0; x < width; ++x) {
            if (packed) {
                indices[static_cast<size_t>(x)] = static_cast<uint8_t>(x & 1 ? line[x / 2] & 15 : line[x / 2] >> 4);
                continue;
            }
            uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
            const uint8_t* column = line + x / 8;
            indices[static_cast<size_t>(x)] =
                static_cast<uint8_t>((column[0] & mask ? 1 : 0) | (column[lineBytes] & mask ? 2 : 0) |
                                     (column[2 * lineBytes] & mask ? 4 : 0) | (column[3 * lineBytes] & mask ? 8 : 0));
        }
        out = PutCoded(out, indices.data(), indices.size());
    }
    *out++ = 12;
    std::memcpy(out, data + kHeaderPalette, 48);  // the other 240 entries stay black
    out += 768;
    rewritten.resize(static_cast<size_t>(out - rewritten.data()));
    return true;
}
