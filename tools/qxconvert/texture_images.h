// Decoding and encoding texture images (FreeImage), for textures the player
// cannot take as they are.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "texture/image_files.h"

struct FIBITMAP;

namespace velmora::tools {

// The most pixels the player's texture loader takes, and the longest side.
constexpr uint64_t kMaxTexturePixels = uint64_t{16} << 20;
constexpr unsigned kMaxTextureSide = static_cast<unsigned>(kLargestTextureSide);

class TextureImage {
public:
    // Decodes a file's bytes in any format FreeImage reads; false when it reads none.
    bool Decode(const std::vector<uint8_t>& bytes);
    // Top row first, four bytes a pixel: blue, green, red, alpha.
    bool FromBgra(const uint8_t* pixels, unsigned width, unsigned height);

    unsigned Width() const;
    unsigned Height() const;
    // The lower-case extension of the format the bytes were in ("png",
    // "jpg", ...), empty for pixels or formats without one of their own.
    const std::string& FormatExtension() const { return format_; }
    // Any pixel less than fully opaque.
    bool Translucent() const;
    // Scales the picture down, keeping its proportions, to at most pixels
    // and at most side pixels wide and high.
    bool ShrinkTo(uint64_t pixels, unsigned side);
    // The picture as a PNG file, without its alpha channel when opaque is set.
    bool EncodePng(bool opaque, std::vector<uint8_t>& png) const;
    // The picture as an uncompressed TGA file stored from the bottom row up.
    bool EncodeTga(std::vector<uint8_t>& tga) const;

private:
    struct Release {
        void operator()(FIBITMAP* bitmap) const;
    };
    std::unique_ptr<FIBITMAP, Release> bitmap_;
    std::string format_;
};

}  // namespace velmora::tools
