// Run-length BMP files (8 and 4 bits a pixel) are given to the decoder with
// their runs expanded: its own run-length path refuses valid files, such as
// those whose last line ends in an end-of-line code before the end-of-bitmap
// one. The expanded file is the uncompressed 8-bit BMP of the same picture,
// with the same palette.
//
// The runs are read as Windows draws them: lines from the bottom up, runs
// that pass the right edge cut there, pixels a delta code skips left at
// palette entry 0, and codes after the top line ignored. Data that ends
// before the top line is reached (and without an end-of-bitmap code) is
// damaged.
#include <cstring>

#include "texture/image_files.h"

namespace {

uint32_t U16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
void PutU16(uint8_t* p, uint32_t value) { p[0] = static_cast<uint8_t>(value), p[1] = static_cast<uint8_t>(value >> 8); }
void PutU32(uint8_t* p, uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

constexpr int64_t kFileHeaderSize = 14;
constexpr int64_t kInfoSize = 40;

struct RunHeader {
    int64_t width, height, dataOffset, paletteOffset, paletteEntries;
    bool fourBits;
};

bool ReadRunHeader(const uint8_t* d, int64_t size, RunHeader& header) {
    if (!d || size < kFileHeaderSize + kInfoSize || d[0] != 'B' || d[1] != 'M') return false;
    uint32_t infoSize = U32(d + 14);
    uint32_t bits = U16(d + 28), compression = U32(d + 30), colours = U32(d + 46);
    if (infoSize < kInfoSize || !((compression == 1 && bits == 8) || (compression == 2 && bits == 4))) return false;
    header.width = static_cast<int32_t>(U32(d + 18));
    header.height = static_cast<int32_t>(U32(d + 22));
    header.dataOffset = U32(d + 10);
    header.paletteOffset = kFileHeaderSize + infoSize;
    header.paletteEntries = colours ? colours : 1u << bits;
    header.fourBits = bits == 4;
    return header.width > 0 && header.height > 0 && header.width <= kLargestTextureSide &&
           header.height <= kLargestTextureSide && header.paletteEntries <= 256 &&
           header.paletteOffset <= header.dataOffset && header.dataOffset <= size;
}

// Walks the runs; with pixels given, writes one palette index a byte into
// rows stride bytes apart, bottom line first.
bool WalkRuns(const uint8_t* d, int64_t size, const RunHeader& header, uint8_t* pixels, int64_t stride) {
    int64_t at = header.dataOffset, x = 0, y = 0;
    auto put = [&](uint8_t index) {
        if (pixels && x < header.width) pixels[y * stride + x] = index;
        ++x;
    };
    while (y < header.height) {
        if (at + 2 > size) return y == header.height - 1 && x >= header.width;
        uint8_t count = d[at], value = d[at + 1];
        at += 2;
        if (count > 0) {  // a run of count pixels of one index, or of two alternating ones
            for (int i = 0; i < count; ++i)
                put(header.fourBits ? static_cast<uint8_t>(i & 1 ? value & 15 : value >> 4) : value);
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // a move right and up
            if (at + 2 > size) return false;
            x += d[at];
            y += d[at + 1];
            at += 2;
        } else {  // value pixels as they are, padded to an even byte count
            int64_t bytes = header.fourBits ? (value + 1) / 2 : value;
            if (at + bytes > size) return false;
            for (int i = 0; i < value; ++i)
                put(header.fourBits ? static_cast<uint8_t>(i & 1 ? d[at + i / 2] & 15 : d[at + i / 2] >> 4)
                                    : d[at + i]);
            at += bytes + (bytes & 1);
        }
    }
    return true;
}

}  // namespace

bool BmpRunsAreSound(const uint8_t* data, int64_t size) {
    RunHeader header;
    return ReadRunHeader(data, size, header) && WalkRuns(data, size, header, nullptr, 0);
}

bool ExpandBmpRuns(const uint8_t* data, int64_t size, std::vector<uint8_t>& expanded) {
    RunHeader header;
    if (!ReadRunHeader(data, size, header)) return false;
    int64_t stride = (header.width + 3) & ~int64_t{3};
    int64_t paletteBytes = header.paletteEntries * 4;
    int64_t pixelOffset = kFileHeaderSize + kInfoSize + paletteBytes;
    expanded.assign(static_cast<size_t>(pixelOffset + stride * header.height), 0);
    uint8_t* out = expanded.data();
    out[0] = 'B';
    out[1] = 'M';
    PutU32(out + 2, static_cast<uint32_t>(expanded.size()));
    PutU32(out + 10, static_cast<uint32_t>(pixelOffset));
    PutU32(out + 14, kInfoSize);
    PutU32(out + 18, static_cast<uint32_t>(header.width));
    PutU32(out + 22, static_cast<uint32_t>(header.height));
    PutU16(out + 26, 1);
    PutU16(out + 28, 8);
    PutU32(out + 34, static_cast<uint32_t>(stride * header.height));
    PutU32(out + 46, static_cast<uint32_t>(header.paletteEntries));
    // Palette entries the file lacks stay black.
    int64_t paletteThere = header.dataOffset - header.paletteOffset;
    std::memcpy(out + kFileHeaderSize + kInfoSize, data + header.paletteOffset,
                static_cast<size_t>(paletteThere < paletteBytes ? paletteThere : paletteBytes));
    return WalkRuns(data, size, header, out + pixelOffset, stride);
}
