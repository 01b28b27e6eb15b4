// GDI text (gdi32) on a device context that a drawing surface lends: the text's
// coverage from the font back end, blended in the text colour into the
// surface's pixels at (x, y), with a transparent or an opaque background.
#include <algorithm>
#include <map>
#include <string>

#include "platform/backend/lent_pixels.h"
#include "platform/backend/text_rasterizer.h"
#include "platform/win32/windows.h"

namespace {

struct DcState {
    COLORREF textColor = 0;  // black, as a fresh device context has
    int backgroundMode = OPAQUE;
    COLORREF backgroundColor = 0x00FFFFFF;
};

std::map<HDC, DcState>& States() {
    static std::map<HDC, DcState> states;
    return states;
}

uint32_t Blend(uint32_t under, COLORREF color, unsigned coverage) {
    uint32_t out = under & 0xFF000000u;
    for (unsigned shift = 0; shift < 24; shift += 8) {  // blue, green, red of 0x00RRGGBB
        unsigned wanted = (color >> shift) & 0xFF;
        unsigned below = (under >> shift) & 0xFF;
        unsigned value = (wanted * coverage + below * (255 - coverage) + 127) / 255;
        out |= value << shift;
    }
    return out;
}

}  // namespace

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
    DcState& state = States()[dc];
    COLORREF previous = state.textColor;
    state.textColor = color & 0x00FFFFFF;
    return previous;
}

int WINAPI SetBkMode(HDC dc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) return 0;
    DcState& state = States()[dc];
    int previous = state.backgroundMode;
    state.backgroundMode = mode;
    return previous;
}

BOOL WINAPI ExtTextOutA(HDC dc, int x, int y, UINT, const RECT*, LPCSTR text, UINT count, const INT*) {
    velmora::platform::LentPixels surface;
    if (!text) return count == 0;
    if (!velmora::platform::PixelsOfLentHandle(dc, surface)) return FALSE;
    // The empty text draws nothing and succeeds.
    if (count == 0) return TRUE;
    std::string line(text, count);
    velmora::platform::TextCoverage coverage;
    if (!velmora::platform::CurrentTextRasterizer().Rasterize(line, coverage)) return TRUE;
    const DcState state = States()[dc];
    DWORD bytes = surface.masks.bits / 8;
    if (bytes != 2 && bytes != 4) return FALSE;
    // GDI's COLORREF is 0x00BBGGRR; the blend works on 0x00RRGGBB.
    COLORREF textRgb = ((state.textColor & 0xFF) << 16) | (state.textColor & 0xFF00) | ((state.textColor >> 16) & 0xFF);
    COLORREF backRgb = ((state.backgroundColor & 0xFF) << 16) | (state.backgroundColor & 0xFF00) |
                       ((state.backgroundColor >> 16) & 0xFF);
    // Only the part of the text that lies on the surface is touched.
    int fromX = std::max(0, -x), fromY = std::max(0, -y);
    int toX = std::min(coverage.width, static_cast<int>(surface.width) - x);
    int toY = std::min(coverage.height, static_cast<int>(surface.height) - y);
    for (int row = fromY; row < toY; ++row) {
        auto* line = static_cast<uint8_t*>(surface.bits) + static_cast<size_t>(y + row) * surface.pitch;
        for (int column = fromX; column < toX; ++column) {
            unsigned alpha = coverage.alpha[static_cast<size_t>(row) * coverage.width + column];
            uint8_t* pixel = line + static_cast<size_t>(x + column) * bytes;
            uint32_t under = velmora::platform::MaskedPixelToArgb(pixel, surface.masks);
            if (state.backgroundMode == OPAQUE) under = Blend(under, backRgb, 255);
            if (alpha == 0 && state.backgroundMode == TRANSPARENT) continue;
            velmora::platform::ArgbToMaskedPixel(Blend(under, textRgb, alpha), pixel, surface.masks);
        }
    }
    return TRUE;
}
