#include "platform/ttf/ttf_text.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <cstdio>

namespace velmora::platform::ttf {

namespace {

class TtfTextRasterizer : public TextRasterizer {
public:
    explicit TtfTextRasterizer(TTF_Font* font) : font_(font) {}
    ~TtfTextRasterizer() override {
        TTF_CloseFont(font_);
        TTF_Quit();
    }

    bool Rasterize(const std::string& text, TextCoverage& coverage) override {
        coverage = TextCoverage{};
        if (text.empty()) return false;
        // The text is 8-bit ANSI; its Latin-1 part is what SDL_ttf's plain text takes.
        SDL_Surface* drawn = TTF_RenderText_Blended(font_, text.c_str(), SDL_Color{255, 255, 255, 255});
        if (!drawn) return false;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(drawn, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(drawn);
        if (!argb) return false;
        coverage.width = argb->w;
        coverage.height = argb->h;
        coverage.alpha.resize(static_cast<size_t>(argb->w) * argb->h);
        SDL_LockSurface(argb);
        for (int y = 0; y < argb->h; ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                                static_cast<size_t>(y) * argb->pitch);
            for (int x = 0; x < argb->w; ++x)
                coverage.alpha[static_cast<size_t>(y) * argb->w + x] = static_cast<uint8_t>(row[x] >> 24);
        }
        SDL_UnlockSurface(argb);
        SDL_FreeSurface(argb);
        return true;
    }

private:
    TTF_Font* font_;
};

}  // namespace

std::unique_ptr<TextRasterizer> CreateTtfTextRasterizer() {
    if (TTF_Init() != 0) {
        std::fprintf(stderr, "velmora: no text drawing: %s\n", TTF_GetError());
        return nullptr;
    }
    TTF_Font* font = TTF_OpenFont(kFontFile, kFontPixels);
    if (!font) {
        std::fprintf(stderr, "velmora: no text drawing: %s cannot be opened\n", kFontFile);
        TTF_Quit();
        return nullptr;
    }
    TTF_SetFontHinting(font, TTF_HINTING_NORMAL);
    return std::make_unique<TtfTextRasterizer>(font);
}

}  // namespace velmora::platform::ttf
