#include "qxconvert/texture_images.h"

#include <FreeImage.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velmora::tools {
namespace {

std::string ExtensionOf(FREE_IMAGE_FORMAT format) {
    switch (format) {
        case FIF_PNG: return "png";
        case FIF_JPEG: return "jpg";
        case FIF_BMP: return "bmp";
        case FIF_TARGA: return "tga";
        case FIF_PCX: return "pcx";
        default: return "";
    }
}

// FreeImage's memory streams, closed when they go.
struct Memory {
    FIMEMORY* stream;
    explicit Memory(FIMEMORY* s) : stream(s) {}
    ~Memory() {
        if (stream) FreeImage_CloseMemory(stream);
    }
};

}  // namespace

void TextureImage::Release::operator()(FIBITMAP* bitmap) const { FreeImage_Unload(bitmap); }

bool TextureImage::Decode(const std::vector<uint8_t>& bytes) {
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return false;
    Memory memory(FreeImage_OpenMemory(const_cast<BYTE*>(bytes.data()), static_cast<DWORD>(bytes.size())));
    if (!memory.stream) return false;
    FREE_IMAGE_FORMAT format = FreeImage_GetFileTypeFromMemory(memory.stream, 0);
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format)) return false;
    // The header is read first, without the pixels, so that a damaged one
    // claiming billions of them is refused unread: four times the player's
    // most are scaled down, more are no texture.
    FIBITMAP* header = FreeImage_LoadFromMemory(format, memory.stream, FIF_LOAD_NOPIXELS);
    if (!header) return false;
    uint64_t pixels = uint64_t{FreeImage_GetWidth(header)} * FreeImage_GetHeight(header);
    FreeImage_Unload(header);
    if (pixels == 0 || pixels > 4 * kMaxTexturePixels) return false;
    FreeImage_SeekMemory(memory.stream, 0, SEEK_SET);
    FIBITMAP* bitmap = FreeImage_LoadFromMemory(format, memory.stream, 0);
    if (!bitmap) return false;
    bitmap_.reset(bitmap);
    format_ = ExtensionOf(format);
    return true;
}

bool TextureImage::FromBgra(const uint8_t* pixels, unsigned width, unsigned height) {
    if (!pixels || width == 0 || height == 0 || uint64_t{width} * height > 4 * kMaxTexturePixels) return false;
    FIBITMAP* bitmap = FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 32, FI_RGBA_RED_MASK,
                                          FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    if (!bitmap) return false;
    for (unsigned y = 0; y < height; ++y) {
        // FreeImage keeps the bottom row first.
        BYTE* line = FreeImage_GetScanLine(bitmap, static_cast<int>(height - 1 - y));
        const uint8_t* source = pixels + static_cast<size_t>(y) * width * 4;
        for (unsigned x = 0; x < width; ++x) {
            line[x * 4 + FI_RGBA_BLUE] = source[x * 4 + 0];
            line[x * 4 + FI_RGBA_GREEN] = source[x * 4 + 1];
            line[x * 4 + FI_RGBA_RED] = source[x * 4 + 2];
            line[x * 4 + FI_RGBA_ALPHA] = source[x * 4 + 3];
        }
    }
    bitmap_.reset(bitmap);
    format_.clear();
    return true;
}

unsigned TextureImage::Width() const { return bitmap_ ? FreeImage_GetWidth(bitmap_.get()) : 0; }
unsigned TextureImage::Height() const { return bitmap_ ? FreeImage_GetHeight(bitmap_.get()) : 0; }

bool TextureImage::Translucent() const {
    if (!bitmap_) return false;
    FIBITMAP* source = bitmap_.get();
    bool alphaChannel = FreeImage_GetBPP(source) == 32 && FreeImage_GetImageType(source) == FIT_BITMAP;
    if (!alphaChannel && !FreeImage_IsTransparent(source)) return false;
    std::unique_ptr<FIBITMAP, Release> rgba(FreeImage_ConvertTo32Bits(source));
    if (!rgba) return false;
    unsigned width = FreeImage_GetWidth(rgba.get()), height = FreeImage_GetHeight(rgba.get());
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(rgba.get(), static_cast<int>(y));
        for (unsigned x = 0; x < width; ++x)
            if (line[x * 4 + FI_RGBA_ALPHA] != 0xFF) return true;
    }
    return false;
}

bool TextureImage::ShrinkTo(uint64_t pixels, unsigned side) {
    if (!bitmap_) return false;
    double factor = std::sqrt(static_cast<double>(pixels) / (static_cast<double>(Width()) * Height()));
    factor = std::min({factor, static_cast<double>(side) / Width(), static_cast<double>(side) / Height()});
    if (factor >= 1.0) return true;
    int width = std::max(1, static_cast<int>(Width() * factor));
    int height = std::max(1, static_cast<int>(Height() * factor));
    FIBITMAP* smaller = FreeImage_Rescale(bitmap_.get(), width, height, FILTER_BILINEAR);
    if (!smaller) return false;
    bitmap_.reset(smaller);
    return true;
}

namespace {

bool Save(FREE_IMAGE_FORMAT format, FIBITMAP* bitmap, int flags, std::vector<uint8_t>& bytes) {
    Memory memory(FreeImage_OpenMemory());
    if (!memory.stream || !FreeImage_SaveToMemory(format, bitmap, memory.stream, flags)) return false;
    BYTE* data = nullptr;
    DWORD size = 0;
    if (!FreeImage_AcquireMemory(memory.stream, &data, &size)) return false;
    bytes.assign(data, data + size);
    return true;
}

}  // namespace

bool TextureImage::EncodePng(bool opaque, std::vector<uint8_t>& png) const {
    if (!bitmap_) return false;
    FIBITMAP* source = bitmap_.get();
    bool alpha = !opaque && (FreeImage_GetBPP(source) == 32 || FreeImage_IsTransparent(source));
    std::unique_ptr<FIBITMAP, Release> converted(alpha ? FreeImage_ConvertTo32Bits(source)
                                                       : FreeImage_ConvertTo24Bits(source));
    return converted && Save(FIF_PNG, converted.get(), PNG_DEFAULT, png);
}

bool TextureImage::EncodeTga(std::vector<uint8_t>& tga) const {
    if (!bitmap_) return false;
    FIBITMAP* source = bitmap_.get();
    // FreeImage keeps the bottom row first and writes TGA files in that order.
    bool alpha = FreeImage_GetBPP(source) == 32 || FreeImage_IsTransparent(source);
    std::unique_ptr<FIBITMAP, Release> converted(alpha ? FreeImage_ConvertTo32Bits(source)
                                                       : FreeImage_ConvertTo24Bits(source));
    return converted && Save(FIF_TARGA, converted.get(), TARGA_DEFAULT, tga);
}

}  // namespace velmora::tools
