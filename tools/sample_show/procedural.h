// Deterministic randomness and tileable noise for the sample show's
// textures, sounds and layouts: the same numbers on every run and machine.
#pragma once

#include <cstdint>

namespace velmora::tools {

// A small xorshift generator; never seeded with 0.
class Random {
public:
    // The seed is stirred first, so that neighbouring seeds start far apart.
    explicit Random(uint32_t seed) : state_(Stir(seed)) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    // Uniform in [0, 1).
    float Unit() { return static_cast<float>(Next() >> 8) / 16777216.0f; }
    // Uniform in [low, high).
    float Between(float low, float high) { return low + (high - low) * Unit(); }
    // 0 to count - 1.
    int Below(int count) { return static_cast<int>(Next() % static_cast<uint32_t>(count)); }

private:
    static uint32_t Stir(uint32_t seed) {
        seed += 0x9E3779B9u;
        seed = (seed ^ (seed >> 16)) * 0x85EBCA6Bu;
        seed = (seed ^ (seed >> 13)) * 0xC2B2AE35u;
        seed ^= seed >> 16;
        return seed ? seed : 0x9E3779B9u;
    }
    uint32_t state_;
};

// Smooth value noise in [0, 1] that repeats every period lattice cells in x
// and y; seed picks the lattice.
float TileNoise(float x, float y, int period, uint32_t seed);
// Octaves of TileNoise, each twice as fine and half as strong, normalised to [0, 1].
float TileFractal(float x, float y, int period, int octaves, uint32_t seed);

float Clamp01(float value);
float Mix(float a, float b, float t);
float SmoothStep(float edge0, float edge1, float x);
// 0xAARRGGBB from components in [0, 1].
uint32_t PackColour(float r, float g, float b, float a = 1.0f);

}  // namespace velmora::tools
