// Run-length TGA files are given to the decoder with their runs expanded:
// its own run-length path reads past the data it was handed, so it is never
// used. The expanded file is the uncompressed TGA of the same picture. The
// origin bit of the header says which row the file stores first.
#include <cstring>

#include "texture/image_files.h"

namespace {

constexpr int64_t kTgaHeaderSize = 18;

}  // namespace

bool ExpandTgaRuns(const uint8_t* data, int64_t size, std::vector<uint8_t>& expanded) {
    // Only files the header check let through come here: the header, the
    // colour map and packets that cover every pixel are all within the data.
    if (!data || size < kTgaHeaderSize || (data[2] != 9 && data[2] != 10 && data[2] != 11)) return false;
    int64_t mapBytes = data[1] == 1 ? static_cast<int64_t>(data[5] | data[6] << 8) * ((data[7] + 7) / 8) : 0;
    int64_t dataOffset = kTgaHeaderSize + data[0] + mapBytes;
    int64_t pixelBytes = (data[16] + 7) / 8;
    int64_t pixels = static_cast<int64_t>(data[12] | data[13] << 8) * (data[14] | data[15] << 8);
    if (dataOffset > size || pixelBytes <= 0 || pixels * pixelBytes > kLargestTextureBytes) return false;

    expanded.assign(data, data + dataOffset);
    expanded[2] = static_cast<uint8_t>(data[2] - 8);  // the same kind, uncompressed
    expanded.resize(static_cast<size_t>(dataOffset + pixels * pixelBytes));
    uint8_t* out = expanded.data() + dataOffset;
    size_t width = static_cast<size_t>(pixelBytes);
    int64_t at = dataOffset;
    while (pixels > 0) {
        if (at >= size) return false;
        uint8_t packet = data[at++];
        int64_t count = (packet & 0x7F) + 1;
        // A last packet that reaches past the picture is cut at its end.
        if (count > pixels) count = pixels;
        if (packet & 0x80) {
            if (at + pixelBytes > size) return false;
            // One pixel, then the run doubled onto itself.
            std::memcpy(out, data + at, width);
            size_t done = width, total = static_cast<size_t>(count) * width;
            while (done < total) {
                size_t more = done < total - done ? done : total - done;
                std::memcpy(out + done, out, more);
                done += more;
            }
            at += pixelBytes;
        } else {
            if (at + count * pixelBytes > size) return false;
            std::memcpy(out, data + at, static_cast<size_t>(count * pixelBytes));
            at += count * pixelBytes;
        }
        out += count * pixelBytes;
        pixels -= count;
    }
    return true;
}

bool TgaStoredFromTheTop(const uint8_t* data, int64_t size) {
    constexpr uint8_t kTopOrigin = 0x20;
    return data && size >= kTgaHeaderSize && (data[17] & kTopOrigin) != 0;
}
