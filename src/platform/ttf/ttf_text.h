// Text in DejaVu Sans through SDL2_ttf, at the size of the classic default
// GUI font (8 point at 96 dots per inch, 11 pixels to the em).
#pragma once

#include <memory>

#include "platform/backend/text_rasterizer.h"

namespace velmora::platform::ttf {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kFontPixels = 11;

// Null (with one line on stderr) when the font cannot be opened.
std::unique_ptr<TextRasterizer> CreateTtfTextRasterizer();

}  // namespace velmora::platform::ttf
