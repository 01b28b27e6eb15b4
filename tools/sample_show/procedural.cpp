#include "sample_show/procedural.h"

#include <cmath>

namespace velmora::tools {

namespace {

float Lattice(int x, int y, int period, uint32_t seed) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    uint32_t h = seed ^ (static_cast<uint32_t>(x) * 0x8DA6B343u) ^ (static_cast<uint32_t>(y) * 0xD8163841u);
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return static_cast<float>(h & 0xFFFF) / 65535.0f;
}

float Fade(float t) { return t * t * (3.0f - 2.0f * t); }

}  // namespace

float TileNoise(float x, float y, int period, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = Fade(x - fx), ty = Fade(y - fy);
    const float a = Lattice(ix, iy, period, seed), b = Lattice(ix + 1, iy, period, seed);
    const float c = Lattice(ix, iy + 1, period, seed), d = Lattice(ix + 1, iy + 1, period, seed);
    return Mix(Mix(a, b, tx), Mix(c, d, tx), ty);
}

float TileFractal(float x, float y, int period, int octaves, uint32_t seed) {
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * TileNoise(x, y, period, seed + 7919u * static_cast<uint32_t>(i));
        total += weight;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
        weight *= 0.5f;
    }
    return sum / total;
}

float Clamp01(float value) { return value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value; }

float Mix(float a, float b, float t) { return a + (b - a) * t; }

float SmoothStep(float edge0, float edge1, float x) {
    const float t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

uint32_t PackColour(float r, float g, float b, float a) {
    auto byte = [](float v) { return static_cast<uint32_t>(std::lround(Clamp01(v) * 255.0f)); };
    return byte(a) << 24 | byte(r) << 16 | byte(g) << 8 | byte(b);
}

}  // namespace velmora::tools
