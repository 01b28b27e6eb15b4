#include "sample_show/show_textures.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "sample_show/procedural.h"

namespace velmora::tools {

namespace {

constexpr float kTau = 6.2831853f;
constexpr int kSide = 256;

Picture Blank(int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * height, 0xFF000000u);
    return picture;
}

struct Rgb {
    float r, g, b;
};

Rgb Lerp(Rgb a, Rgb b, float t) { return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)}; }
Rgb Scale(Rgb a, float s) { return {a.r * s, a.g * s, a.b * s}; }

// A cyclic gradient through the given stops, which are evenly spread.
Rgb Cycle(const std::vector<Rgb>& stops, float t) {
    t -= std::floor(t);
    const float at = t * static_cast<float>(stops.size());
    const size_t i = static_cast<size_t>(at) % stops.size();
    return Lerp(stops[i], stops[(i + 1) % stops.size()], at - std::floor(at));
}

// The letters of the title in a 5 x 7 pixel font, rows from the top.
const char* const* Glyph(char letter) {
    static const char* const v[7] = {"#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."};
    static const char* const e[7] = {"#####", "#....", "#....", "####.", "#....", "#....", "#####"};
    static const char* const l[7] = {"#....", "#....", "#....", "#....", "#....", "#....", "#####"};
    static const char* const m[7] = {"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"};
    static const char* const o[7] = {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."};
    static const char* const r[7] = {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"};
    static const char* const a[7] = {".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"};
    switch (letter) {
    case 'V': return v;
    case 'E': return e;
    case 'L': return l;
    case 'M': return m;
    case 'O': return o;
    case 'R': return r;
    default: return a;
    }
}

// Blurs a coverage map with a box of the given radius, three times over
// (close to a Gaussian), clamping at the edges.
std::vector<float> Blurred(std::vector<float> map, int width, int height, int radius) {
    std::vector<float> next(map.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                float sum = 0.0f;
                for (int i = -radius; i <= radius; ++i)
                    sum += map[static_cast<size_t>(y) * width + std::clamp(x + i, 0, width - 1)];
                next[static_cast<size_t>(y) * width + x] = sum / (2 * radius + 1);
            }
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                float sum = 0.0f;
                for (int j = -radius; j <= radius; ++j)
                    sum += next[static_cast<size_t>(std::clamp(y + j, 0, height - 1)) * width + x];
                map[static_cast<size_t>(y) * width + x] = sum / (2 * radius + 1);
            }
    }
    return map;
}

void AddFiles(std::vector<ShowFile>& files, const std::string& name, const Picture& picture, ImageFormat format,
              bool withAlpha) {
    const std::string base = name.substr(0, name.size() - 4);
    files.push_back({name, EncodePicture(picture, format, withAlpha)});
    files.push_back({base + "_256" + ImageExtension(format), EncodePicture(Halved(picture), format, withAlpha)});
}

}  // namespace

IndexedPicture PlasmaPicture() {
    IndexedPicture picture;
    picture.width = picture.height = kSide;
    picture.indices.resize(static_cast<size_t>(kSide) * kSide);
    // Whole numbers of waves across the picture, so that it tiles.
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const float u = kTau * x / kSide, v = kTau * y / kSide;
            const float value = std::sin(2 * u) + std::sin(3 * v + 1.0f) + std::sin(2 * u + 2 * v) +
                                std::sin(std::sin(u) * 2.0f + 3 * v - 4 * u);
            const float t = (value + 4.0f) / 8.0f * 2.0f;  // two rounds of the palette
            picture.indices[static_cast<size_t>(y) * kSide + x] =
                static_cast<uint8_t>(static_cast<int>(std::floor(t * 256.0f)) & 255);
        }
    const std::vector<Rgb> stops = {{0.04f, 0.0f, 0.12f}, {0.45f, 0.0f, 0.55f}, {1.0f, 0.25f, 0.35f},
                                    {1.0f, 0.75f, 0.25f}, {1.0f, 1.0f, 0.8f},   {0.2f, 0.55f, 1.0f}};
    for (int i = 0; i < 256; ++i) {
        const Rgb c = Cycle(stops, i / 256.0f);
        picture.palette[i] = PackColour(c.r, c.g, c.b) & 0xFFFFFF;
    }
    return picture;
}

Picture MetalPicture() {
    Picture picture = Blank(kSide, kSide);
    // Fine noise smeared sideways into brush strokes.
    std::vector<float> grain(static_cast<size_t>(kSide) * kSide);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            grain[static_cast<size_t>(y) * kSide + x] = TileFractal(x / 4.0f, y / 1.0f, 64, 1, 11u) * 0.6f +
                                                         TileFractal(x / 16.0f, y / 16.0f, 16, 3, 12u) * 0.4f;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            float sum = 0.0f;
            for (int i = -12; i <= 12; ++i) sum += grain[static_cast<size_t>(y) * kSide + ((x + i + kSide) % kSide)];
            const float brushed = sum / 25.0f;
            // A reflected horizon in soft bands, and panel seams every 64 pixels.
            const float band = 0.5f + 0.5f * std::sin(kTau * y / kSide * 2.0f + 0.7f);
            float value = 0.35f + 0.55f * brushed + 0.25f * band * band;
            const int seamX = x % 64, seamY = y % 64;
            if (seamX == 0 || seamY == 0) value *= 0.35f;
            else if (seamX == 1 || seamY == 1) value = std::min(1.0f, value * 1.35f);
            // Rivets near each panel's corners.
            for (int cy : {6, 58})
                for (int cx : {6, 58}) {
                    const float d = std::hypot(static_cast<float>(seamX - cx), static_cast<float>(seamY - cy));
                    if (d < 2.5f) value = 0.9f - 0.2f * d;
                }
            picture.At(x, y) = PackColour(value * 0.82f, value * 0.88f, value * 1.0f);
        }
    return picture;
}

Picture BricksPicture() {
    Picture picture = Blank(kSide, kSide);
    const int brickHeight = 32, brickWidth = 64, mortar = 4;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const int row = y / brickHeight;
            const int shifted = (x + (row % 2) * brickWidth / 2) % kSide;
            const int column = shifted / brickWidth;
            const int inY = y % brickHeight, inX = shifted % brickWidth;
            const float grit = TileFractal(x / 8.0f, y / 8.0f, 32, 3, 21u);
            Rgb colour;
            if (inY < mortar || inX < mortar) {
                colour = Scale({0.62f, 0.6f, 0.56f}, 0.75f + 0.4f * grit);
            } else {
                Random brick(static_cast<uint32_t>(1 + row * 16 + column));
                const float tone = brick.Between(0.75f, 1.1f);
                const Rgb base = Lerp({0.62f, 0.2f, 0.12f}, {0.5f, 0.28f, 0.18f}, brick.Unit());
                // Darker towards the joints, as if the bricks were rounded.
                const float edge = std::min({inY - mortar, brickHeight - 1 - inY, inX - mortar,
                                             brickWidth - 1 - inX});
                const float rounded = 0.75f + 0.25f * SmoothStep(0.0f, 4.0f, static_cast<float>(edge));
                colour = Scale(base, tone * rounded * (0.7f + 0.5f * grit));
            }
            picture.At(x, y) = PackColour(colour.r, colour.g, colour.b);
        }
    return picture;
}

Picture WindowsPicture() {
    Picture picture = Blank(kSide, kSide);
    const int cell = 32;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const int cx = x / cell, cy = y / cell, inX = x % cell, inY = y % cell;
            const float grit = TileFractal(x / 8.0f, y / 8.0f, 32, 2, 31u);
            Rgb colour = Scale({0.2f, 0.22f, 0.28f}, 0.7f + 0.5f * grit);
            if (inX >= 6 && inX < 26 && inY >= 5 && inY < 27) {
                Random window(static_cast<uint32_t>(100 + cy * 8 + cx));
                const float pick = window.Unit();
                const float v = (inY - 5) / 22.0f;
                if (pick < 0.3f) {
                    colour = Scale({1.0f, 0.82f, 0.45f}, 0.75f + 0.25f * (1.0f - v));   // warm light
                    if (inY < 5 + window.Below(10)) colour = Scale(colour, 0.45f);      // a blind half down
                } else if (pick < 0.42f) {
                    colour = Scale({0.55f, 0.85f, 1.0f}, 0.6f + 0.3f * (1.0f - v));   // a screen's glow
                } else {
                    colour = Lerp({0.1f, 0.14f, 0.25f}, {0.02f, 0.03f, 0.06f}, v);      // dark glass
                }
                if (inX == 16) colour = Scale(colour, 0.4f);  // the mullion
            }
            picture.At(x, y) = PackColour(colour.r, colour.g, colour.b);
        }
    return picture;
}

Picture TilesPicture() {
    Picture picture = Blank(kSide, kSide);
    const int tile = 64;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const int inX = x % tile, inY = y % tile;
            const bool light = ((x / tile) + (y / tile)) % 2 == 0;
            const float grit = TileFractal(x / 16.0f, y / 16.0f, 16, 3, 41u);
            Rgb colour = Scale(light ? Rgb{0.22f, 0.2f, 0.3f} : Rgb{0.1f, 0.09f, 0.16f}, 0.7f + 0.6f * grit);
            // Seams that glow: bright in the middle, fading over a few pixels.
            const float d = static_cast<float>(std::min({inX, tile - 1 - inX, inY, tile - 1 - inY}));
            const float seam = std::exp(-d * d / 6.0f);
            colour = Lerp(colour, {0.3f, 0.95f, 1.0f}, seam);
            picture.At(x, y) = PackColour(colour.r, colour.g, colour.b);
        }
    return picture;
}

Picture GlowPicture() {
    const int side = 128;
    Picture picture = Blank(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const float dx = (x + 0.5f - side / 2.0f) / (side / 2.0f), dy = (y + 0.5f - side / 2.0f) / (side / 2.0f);
            const float r = std::sqrt(dx * dx + dy * dy);
            const float fade = 1.0f - SmoothStep(0.7f, 1.0f, r);
            const float halo = std::exp(-r * r * 7.0f);
            const float core = std::exp(-r * r * 60.0f);
            const float rays = (std::exp(-std::fabs(dx) * 40.0f) + std::exp(-std::fabs(dy) * 40.0f)) * (1.0f - r);
            const float light = Clamp01((halo * 0.8f + core + 0.5f * std::max(0.0f, rays)) * fade);
            // Colour already weighted by the light, so that it adds well too.
            picture.At(x, y) = PackColour(light, light * (0.85f + 0.15f * core), light * (0.7f + 0.3f * core), light);
        }
    return picture;
}

Picture LogoPicture() {
    const int width = 256, height = 128, cell = 6, samples = 4;
    const std::string title = "VELMORA";
    const int textWidth = static_cast<int>(title.size()) * 6 * cell - cell;
    const int left = (width - textWidth) / 2, top = (height - 7 * cell) / 2;
    auto inside = [&](float px, float py) {
        const int gx = static_cast<int>(std::floor((px - left) / cell)), gy = static_cast<int>(std::floor((py - top) / cell));
        if (gx < 0 || gy < 0 || gy >= 7 || gx >= static_cast<int>(title.size()) * 6) return false;
        if (gx % 6 == 5) return false;
        return Glyph(title[gx / 6])[gy][gx % 6] == '#';
    };
    std::vector<float> letters(static_cast<size_t>(width) * height), outline(letters.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int hits = 0, near = 0;
            for (int j = 0; j < samples; ++j)
                for (int i = 0; i < samples; ++i) {
                    const float px = x + (i + 0.5f) / samples, py = y + (j + 0.5f) / samples;
                    hits += inside(px, py);
                    bool any = false;
                    for (int oy = -2; oy <= 2 && !any; oy += 2)
                        for (int ox = -2; ox <= 2 && !any; ox += 2) any = inside(px + ox, py + oy);
                    near += any;
                }
            letters[static_cast<size_t>(y) * width + x] = static_cast<float>(hits) / (samples * samples);
            outline[static_cast<size_t>(y) * width + x] = static_cast<float>(near) / (samples * samples);
        }
    const std::vector<float> halo = Blurred(outline, width, height, 5);
    Picture picture = Blank(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = static_cast<size_t>(y) * width + x;
            const float v = Clamp01(static_cast<float>(y - top) / (7 * cell));
            // Gold to ember from top to bottom, a bright line across, a bevel
            // from each pixel cell's corner.
            Rgb fill = Lerp({1.0f, 0.92f, 0.45f}, {1.0f, 0.3f, 0.08f}, v);
            fill = Lerp(fill, {1.0f, 1.0f, 0.95f}, std::exp(-std::pow((v - 0.42f) * 14.0f, 2.0f)) * 0.8f);
            const float inX = std::fmod(static_cast<float>(x - left) + 600.0f, static_cast<float>(cell)) / cell;
            const float inY = std::fmod(static_cast<float>(y - top) + 600.0f, static_cast<float>(cell)) / cell;
            fill = Scale(fill, 0.8f + 0.3f * (1.0f - 0.5f * (inX + inY)));
            const Rgb rim = {0.16f, 0.02f, 0.3f};
            const Rgb glow = {1.0f, 0.45f, 0.15f};
            const float l = letters[at], o = outline[at], h = Clamp01(halo[at] * 1.6f);
            Rgb colour = Lerp(Lerp(glow, rim, o), fill, l);
            const float alpha = std::max({l, o, h * 0.55f});
            // Weighted by its alpha, so that a camera adding the picture on
            // top of the frame adds nothing where the lettering is not.
            colour = Scale(colour, alpha);
            picture.At(x, y) = PackColour(colour.r, colour.g, colour.b, alpha);
        }
    return picture;
}

Picture HazardPicture() {
    const int side = 128;
    Picture picture = Blank(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            // Diagonal bands 32 pixels apart, which tile across 128.
            const float band = static_cast<float>((x + y) % 32);
            const float yellow = SmoothStep(1.0f, 2.5f, band) * (1.0f - SmoothStep(14.0f, 15.5f, band));
            const float grime = TileFractal(x / 8.0f, y / 8.0f, 16, 3, 51u);
            const float wear = SmoothStep(0.62f, 0.75f, TileFractal(x / 16.0f, y / 16.0f, 8, 2, 52u));
            Rgb colour = Lerp({0.07f, 0.07f, 0.08f}, {1.0f, 0.75f, 0.1f}, yellow * (1.0f - wear));
            colour = Lerp(colour, {0.45f, 0.45f, 0.5f}, wear * 0.8f);  // bare metal where the paint is worn
            colour = Scale(colour, 0.75f + 0.4f * grime);
            picture.At(x, y) = PackColour(colour.r, colour.g, colour.b);
        }
    return picture;
}

std::vector<ShowFile> ShowTextureFiles() {
    std::vector<ShowFile> files;
    const IndexedPicture plasma = PlasmaPicture();
    files.push_back({kPlasmaTexture, PcxBytes(plasma)});
    files.push_back({"plasma_256.pcx", PcxBytes(Halved(plasma))});
    AddFiles(files, kMetalTexture, MetalPicture(), ImageFormat::Jpeg, false);
    AddFiles(files, kBricksTexture, BricksPicture(), ImageFormat::Bmp, false);
    AddFiles(files, kWindowsTexture, WindowsPicture(), ImageFormat::Jpeg, false);
    AddFiles(files, kTilesTexture, TilesPicture(), ImageFormat::Tga, false);
    AddFiles(files, kGlowTexture, GlowPicture(), ImageFormat::Tga, true);
    AddFiles(files, kLogoTexture, LogoPicture(), ImageFormat::Png, true);
    AddFiles(files, kHazardTexture, HazardPicture(), ImageFormat::Png, false);
    return files;
}

}  // namespace velmora::tools
