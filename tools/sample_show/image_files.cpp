#include "sample_show/image_files.h"

#include <FreeImage.h>

namespace velmora::tools {

namespace {

// A FreeImage bitmap of the picture, bottom row first as FreeImage keeps them.
FIBITMAP* ToBitmap(const Picture& picture, bool withAlpha) {
    const int bits = withAlpha ? 32 : 24;
    FIBITMAP* bitmap = FreeImage_Allocate(picture.width, picture.height, bits, FI_RGBA_RED_MASK,
                                          FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (!bitmap) return nullptr;
    const int step = bits / 8;
    for (int y = 0; y < picture.height; ++y) {
        BYTE* line = FreeImage_GetScanLine(bitmap, picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t p = picture.At(x, y);
            BYTE* out = line + x * step;
            out[FI_RGBA_RED] = static_cast<BYTE>(p >> 16);
            out[FI_RGBA_GREEN] = static_cast<BYTE>(p >> 8);
            out[FI_RGBA_BLUE] = static_cast<BYTE>(p);
            if (withAlpha) out[FI_RGBA_ALPHA] = static_cast<BYTE>(p >> 24);
        }
    }
    return bitmap;
}

void PutLe16(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

}  // namespace

const char* ImageExtension(ImageFormat format) {
    switch (format) {
    case ImageFormat::Bmp: return ".bmp";
    case ImageFormat::Tga: return ".tga";
    case ImageFormat::Jpeg: return ".jpg";
    case ImageFormat::Png: return ".png";
    default: return ".pcx";
    }
}

std::vector<uint8_t> EncodePicture(const Picture& picture, ImageFormat format, bool withAlpha) {
    FREE_IMAGE_FORMAT fif = FIF_UNKNOWN;
    int flags = 0;
    switch (format) {
    case ImageFormat::Bmp: fif = FIF_BMP; withAlpha = false; break;
    case ImageFormat::Tga: fif = FIF_TARGA; flags = TARGA_SAVE_RLE; break;
    case ImageFormat::Jpeg: fif = FIF_JPEG; flags = 90; withAlpha = false; break;
    case ImageFormat::Png: fif = FIF_PNG; flags = PNG_Z_BEST_COMPRESSION; break;
    case ImageFormat::Pcx: return {};
    }
    std::vector<uint8_t> bytes;
    FIBITMAP* bitmap = ToBitmap(picture, withAlpha);
    if (!bitmap) return bytes;
    FIMEMORY* memory = FreeImage_OpenMemory();
    if (memory && FreeImage_SaveToMemory(fif, bitmap, memory, flags)) {
        BYTE* data = nullptr;
        DWORD size = 0;
        if (FreeImage_AcquireMemory(memory, &data, &size)) bytes.assign(data, data + size);
    }
    if (memory) FreeImage_CloseMemory(memory);
    FreeImage_Unload(bitmap);
    return bytes;
}

std::vector<uint8_t> PcxBytes(const IndexedPicture& picture) {
    // Lines are stored an even number of bytes long.
    const int lineBytes = picture.width + (picture.width & 1);
    std::vector<uint8_t> out;
    out.push_back(0x0A);  // maker
    out.push_back(5);     // version 3.0 and later, with a 256-colour palette
    out.push_back(1);     // run-length coded
    out.push_back(8);     // bits per pixel per plane
    PutLe16(out, 0);
    PutLe16(out, 0);
    PutLe16(out, picture.width - 1);
    PutLe16(out, picture.height - 1);
    PutLe16(out, 72);
    PutLe16(out, 72);
    for (int i = 0; i < 48; ++i) out.push_back(0);  // the 16-colour palette, unused
    out.push_back(0);
    out.push_back(1);  // planes
    PutLe16(out, lineBytes);
    PutLe16(out, 1);   // colour palette
    while (out.size() < 128) out.push_back(0);
    for (int y = 0; y < picture.height; ++y) {
        const uint8_t* line = picture.indices.data() + static_cast<size_t>(y) * picture.width;
        // Runs never cross a line's end; a run holds at most 63 bytes, and a
        // single byte of 0xC0 or more is stored as a run of one.
        int x = 0;
        while (x < lineBytes) {
            const uint8_t value = x < picture.width ? line[x] : 0;
            int run = 1;
            while (x + run < lineBytes && run < 63 && (x + run < picture.width ? line[x + run] : 0) == value) ++run;
            if (run > 1 || value >= 0xC0) out.push_back(static_cast<uint8_t>(0xC0 | run));
            out.push_back(value);
            x += run;
        }
    }
    out.push_back(0x0C);
    for (uint32_t colour : picture.palette) {
        out.push_back(static_cast<uint8_t>(colour >> 16));
        out.push_back(static_cast<uint8_t>(colour >> 8));
        out.push_back(static_cast<uint8_t>(colour));
    }
    return out;
}

Picture Halved(const Picture& picture, int count) {
    Picture result = picture;
    for (int k = 0; k < count && result.width > 1 && result.height > 1; ++k) {
        Picture half;
        half.width = result.width / 2;
        half.height = result.height / 2;
        half.pixels.resize(static_cast<size_t>(half.width) * half.height);
        for (int y = 0; y < half.height; ++y)
            for (int x = 0; x < half.width; ++x) {
                uint32_t sum[4] = {0, 0, 0, 0};
                for (int j = 0; j < 2; ++j)
                    for (int i = 0; i < 2; ++i) {
                        const uint32_t p = result.At(2 * x + i, 2 * y + j);
                        for (int c = 0; c < 4; ++c) sum[c] += (p >> (8 * c)) & 255;
                    }
                uint32_t value = 0;
                for (int c = 0; c < 4; ++c) value |= ((sum[c] + 2) / 4) << (8 * c);
                half.At(x, y) = value;
            }
        result = std::move(half);
    }
    return result;
}

IndexedPicture Halved(const IndexedPicture& picture, int count) {
    IndexedPicture result = picture;
    for (int k = 0; k < count && result.width > 1 && result.height > 1; ++k) {
        IndexedPicture half;
        half.palette = result.palette;
        half.width = result.width / 2;
        half.height = result.height / 2;
        half.indices.resize(static_cast<size_t>(half.width) * half.height);
        for (int y = 0; y < half.height; ++y)
            for (int x = 0; x < half.width; ++x)
                half.indices[static_cast<size_t>(y) * half.width + x] =
                    result.indices[static_cast<size_t>(2 * y) * result.width + 2 * x];
        result = std::move(half);
    }
    return result;
}

}  // namespace velmora::tools
