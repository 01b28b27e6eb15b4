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

// Appends bytes in run-length form: repeats as runs of up to 63, and single
// bytes that look like a count as runs of one.
void PutCoded(std::vector<uint8_t>& out, const uint8_t* bytes, size_t count) {
    for (size_t i = 0; i < count;) {
        size_t run = 1;
        while (i + run < count && run < 63 && bytes[i + run] == bytes[i]) ++run;
        if (run > 1 || (bytes[i] & 0xC0) == 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | run));
        out.push_back(bytes[i]);
        i += run;
    }
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
    int64_t at = kHeaderSize;
    for (size_t filled = 0; filled < lines.size();) {
        if (at >= size) return false;
        uint8_t byte = data[at++];
        size_t count = 1;
        if (data[2] == 1 && (byte & 0xC0) == 0xC0) {
            if (at >= size) return false;
            count = byte & 0x3F;
            byte = data[at++];
        }
        for (size_t i = 0; i < count && filled < lines.size(); ++i) lines[filled++] = byte;
    }

    rewritten.assign(data, data + kHeaderSize);
    rewritten[2] = 1;
    if (!SixteenColours(data)) {
        for (int64_t y = 0; y < height * planes; ++y)
            PutCoded(rewritten, lines.data() + y * lineBytes, static_cast<size_t>(lineBytes));
        // A 256-colour picture keeps its palette at the end.
        if (data[3] == 8 && planes == 1) {
            if (size < kHeaderSize + kPaletteSize) return false;
            rewritten.insert(rewritten.end(), data + size - kPaletteSize, data + size);
        }
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
            for (int64_t plane = 0; plane < 4; ++plane)
                if (line[plane * lineBytes + x / 8] & (0x80 >> (x % 8)))
                    indices[static_cast<size_t>(x)] |= static_cast<uint8_t>(1 << plane);
        }
        PutCoded(rewritten, indices.data(), indices.size());
    }
    rewritten.push_back(12);
    size_t palette = rewritten.size();
    rewritten.resize(palette + 768, 0);
    std::memcpy(rewritten.data() + palette, data + kHeaderPalette, 48);
    return true;
}
