// The picture decoding library over FreeImage: the five formats' plug-ins
// alone left on, the caller's procedures as FreeImage's I/O.
#include <FreeImage.h>

#include "platform/image/picture_decoder.h"

namespace velmora::platform {

static_assert(FI_RGBA_BLUE == kPictureBlue && FI_RGBA_GREEN == kPictureGreen && FI_RGBA_RED == kPictureRed &&
                  FI_RGBA_ALPHA == kPictureAlpha,
              "FreeImage keeps its pixels in another byte order on this machine");

namespace {

void EnableShowDecoders() {
    static bool done = false;
    if (done) return;
    done = true;
    const int count = FreeImage_GetFIFCount();
    for (int i = 0; i < count; ++i) {
        const auto fif = static_cast<FREE_IMAGE_FORMAT>(i);
        const bool keep = fif == FIF_BMP || fif == FIF_TARGA || fif == FIF_JPEG || fif == FIF_PNG || fif == FIF_PCX;
        FreeImage_SetPluginEnabled(fif, keep ? TRUE : FALSE);
    }
}

class FreeImagePicture : public DecodedPicture {
public:
    explicit FreeImagePicture(FIBITMAP* bitmap) : bitmap_(bitmap) {}
    ~FreeImagePicture() override { FreeImage_Unload(bitmap_); }
    FreeImagePicture(const FreeImagePicture&) = delete;
    FreeImagePicture& operator=(const FreeImagePicture&) = delete;

    uint32_t Width() const override { return FreeImage_GetWidth(bitmap_); }
    uint32_t Height() const override { return FreeImage_GetHeight(bitmap_); }
    uint32_t BitsPerPixel() const override { return FreeImage_GetBPP(bitmap_); }
    bool PlainPixels() const override { return FreeImage_GetImageType(bitmap_) == FIT_BITMAP; }
    const uint8_t* Row(uint32_t y) const override { return FreeImage_GetScanLine(bitmap_, static_cast<int>(y)); }
    std::unique_ptr<DecodedPicture> To32Bits() const override {
        FIBITMAP* converted = FreeImage_ConvertTo32Bits(bitmap_);
        if (!converted) return nullptr;
        return std::make_unique<FreeImagePicture>(converted);
    }

private:
    FIBITMAP* bitmap_;
};

FREE_IMAGE_FORMAT FreeImageFormat(PictureFormat format) {
    switch (format) {
    case PictureFormat::Bmp: return FIF_BMP;
    case PictureFormat::Tga: return FIF_TARGA;
    case PictureFormat::Jpeg: return FIF_JPEG;
    case PictureFormat::Png: return FIF_PNG;
    case PictureFormat::Pcx: return FIF_PCX;
    }
    return FIF_UNKNOWN;
}

}  // namespace

std::unique_ptr<DecodedPicture> DecodePicture(PictureFormat format, const PictureSource& source) {
    if (!source.read || !source.seek || !source.tell) return nullptr;
    EnableShowDecoders();
    FreeImageIO io;
    io.read_proc = source.read;
    io.write_proc = nullptr;
    io.seek_proc = source.seek;
    io.tell_proc = source.tell;
    const FREE_IMAGE_FORMAT fif = FreeImageFormat(format);
    FIBITMAP* bitmap = FreeImage_LoadFromHandle(fif, &io, source.handle, format == PictureFormat::Jpeg ? JPEG_ACCURATE : 0);
    if (!bitmap) return nullptr;
    return std::make_unique<FreeImagePicture>(bitmap);
}

}  // namespace velmora::platform
