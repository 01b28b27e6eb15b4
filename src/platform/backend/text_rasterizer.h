// The narrow interface between the GDI text of the Win32 stand-in and a font
// back end: a line of text in, its coverage out.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace velmora::platform {

// One line of text as coverage, 0 (none) to 255 (full), top row first; the
// top row is the top of the font's cell, as GDI places text at (x, y).
struct TextCoverage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> alpha;
};

class TextRasterizer {
public:
    virtual ~TextRasterizer() = default;
    // False (and nothing drawn) for the empty text or when no font is at hand.
    virtual bool Rasterize(const std::string& text, TextCoverage& coverage) = 0;
};

// The font back end in use: the TrueType one, opened on first use, unless a
// test installed another. Null installs the one that draws nothing.
TextRasterizer& CurrentTextRasterizer();
void InstallTextRasterizer(std::unique_ptr<TextRasterizer> rasterizer);
std::unique_ptr<TextRasterizer> CreateNullTextRasterizer();

}  // namespace velmora::platform
