// The picture decoding library the texture loaders speak to, as the player's
// loaders spoke to theirs: a file of one of the five formats read through
// the caller's own read, seek and tell procedures, and the decoded picture
// handed out row by row as the library keeps it. Only image/ calls the real
// library (FreeImage).
#pragma once

#include <cstdint>
#include <memory>

namespace velmora::platform {

enum class PictureFormat { Bmp, Tga, Jpeg, Png, Pcx };

// The caller's file, read as fread, fseek and ftell read a stream: read gives
// the whole items of size bytes read, seek moves (its result is not looked
// at), tell gives the position.
struct PictureSource {
    void* handle = nullptr;
    unsigned (*read)(void* buffer, unsigned size, unsigned count, void* handle) = nullptr;
    int (*seek)(void* handle, long offset, int origin) = nullptr;
    long (*tell)(void* handle) = nullptr;
};

// Byte offsets of the channels in a pixel of a decoded row (and of alpha in
// a 32-bit one): blue, green, red, alpha in memory order.
constexpr int kPictureBlue = 0;
constexpr int kPictureGreen = 1;
constexpr int kPictureRed = 2;
constexpr int kPictureAlpha = 3;

class DecodedPicture {
public:
    virtual ~DecodedPicture() = default;
    virtual uint32_t Width() const = 0;
    virtual uint32_t Height() const = 0;
    virtual uint32_t BitsPerPixel() const = 0;
    // Whether the picture holds plain pixels (and not, say, 16-bit channels
    // or floating point), whatever their bits.
    virtual bool PlainPixels() const = 0;
    // Row y, counted from the bottom row up, at BitsPerPixel a pixel.
    virtual const uint8_t* Row(uint32_t y) const = 0;
    // The same picture at 32 bits a pixel, palette colours and transparency
    // resolved; null when it cannot be converted.
    virtual std::unique_ptr<DecodedPicture> To32Bits() const = 0;
};

// The picture in source, decoded as format, JPEG at the decoder's accurate
// setting; null when it does not decode. Only the five formats' decoders are
// ever used, whatever the file says it is.
std::unique_ptr<DecodedPicture> DecodePicture(PictureFormat format, const PictureSource& source);

}  // namespace velmora::platform
