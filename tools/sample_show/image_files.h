// Pictures held in memory and their files in the five formats the player's
// texture loader reads: BMP, TGA, JPEG and PNG through FreeImage, PCX (which
// FreeImage reads but does not write) by our own 256-colour run-length writer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::tools {

// True-colour pixels as 0xAARRGGBB, top row first.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Palette indices, top row first, and a palette of 0x00RRGGBB colours.
struct IndexedPicture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> indices;
    std::array<uint32_t, 256> palette{};
};

enum class ImageFormat { Bmp, Tga, Jpeg, Png, Pcx };

// The file extension of a format, lower case with its dot.
const char* ImageExtension(ImageFormat format);

// The file's bytes: BMP 24-bit; TGA 32-bit when withAlpha, else 24-bit, both
// run-length coded; JPEG at quality 90; PNG RGBA when withAlpha, else RGB.
// Empty when FreeImage cannot encode it. Not for PCX.
std::vector<uint8_t> EncodePicture(const Picture& picture, ImageFormat format, bool withAlpha);

// An 8-bit, one-plane, run-length PCX file with its 256-colour palette at the end.
std::vector<uint8_t> PcxBytes(const IndexedPicture& picture);

// Halved in each direction count times, averaging each 2 x 2 block (alpha too).
Picture Halved(const Picture& picture, int count = 1);
// Halved by keeping every other pixel, so that the palette still fits.
IndexedPicture Halved(const IndexedPicture& picture, int count = 1);

}  // namespace velmora::tools
