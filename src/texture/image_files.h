// What the texture loaders know about the image files themselves: the header
// checks made before a file reaches the decoder, and the rewrites that give
// the decoder files it reads correctly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The formats of the images the show uses, one loader each.
enum class ImageFormat { Bmp, Tga, Jpg, Png, Pcx };

// Images larger than this many bytes at 32 bits per pixel (16 M pixels) are refused.
constexpr int64_t kLargestTextureBytes = 64ll * 1024 * 1024;
// Nor may either side be longer than this: the display's surfaces, the
// image-sized one each texture is filled through among them, go no further.
constexpr int64_t kLargestTextureSide = 8192;

// The format the loader picks for a file name by its extension (".bmp",
// ".tga", ".jpg", ".png" or ".pcx", any case); false for any other name.
bool ImageFormatOfName(const char* name, ImageFormat* format);

// Why the image's header disagrees with its data or asks for more than a
// texture may take, in a few words ("run-length data damaged or ending before
// the picture does"), null when the file may go to the decoder; and the
// picture's size as the header gives it (0 x 0 when it is too damaged to say).
struct ImageHeaderVerdict {
    const char* fault;
    int64_t width, height;
};
ImageHeaderVerdict CheckImageHeader(ImageFormat format, const uint8_t* data, int64_t size);
inline const char* ImageHeaderFault(ImageFormat format, const uint8_t* data, int64_t size) {
    return CheckImageHeader(format, data, size).fault;
}
inline bool ImageHeaderIsSound(ImageFormat format, const uint8_t* data, int64_t size) {
    return ImageHeaderFault(format, data, size) == nullptr;
}

// A BMP file whose info header is one of the longer later ones, rewritten
// with the 40-byte header the decoder reads; false (nothing written) for any
// other file.
bool ShortenBmpInfoHeader(const uint8_t* data, int64_t size, std::vector<uint8_t>& shortened);

// A run-length BMP file (8 or 4 bits) rewritten as the uncompressed 8-bit BMP
// of the same picture; false when the runs are damaged or end before the
// picture does (nothing usable written). Only for files the header check passed.
bool ExpandBmpRuns(const uint8_t* data, int64_t size, std::vector<uint8_t>& expanded);
// The same walk without the output: true when ExpandBmpRuns would succeed.
bool BmpRunsAreSound(const uint8_t* data, int64_t size);

// Where the channels of a 32-bit BMP lie in each little-endian pixel word,
// as its header says; alpha is 0 (opaque) unless the header names an alpha
// mask. Only for files the header check passed.
struct BmpMasks {
    uint32_t red, green, blue, alpha;
};
BmpMasks BmpMasksOf(const uint8_t* data, int64_t size);
// One such pixel word as red << 24 | green << 16 | blue << 8 | alpha.
uint32_t BmpPixelWord(uint32_t word, const BmpMasks& masks);

// A run-length TGA file rewritten as the uncompressed TGA of the same
// picture; false (nothing usable written) for any other file.
bool ExpandTgaRuns(const uint8_t* data, int64_t size, std::vector<uint8_t>& expanded);
// True when the TGA header's origin bit (bit 5 of the descriptor) says the
// file stores its top row first.
bool TgaStoredFromTheTop(const uint8_t* data, int64_t size);

// A PCX file that the decoder would misread (uncompressed, or of 16 colours
// in either layout) rewritten as the run-length coded PCX of the same picture
// in a layout it reads correctly; false for files that need no rewrite or
// whose data ends early. Only for files the header check passed.
bool PcxNeedsRewrite(const uint8_t* data, int64_t size);
bool RewritePcx(const uint8_t* data, int64_t size, std::vector<uint8_t>& rewritten);
