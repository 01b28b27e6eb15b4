// Writes four-channel ProTracker modules ("M.K.") from a description held in
// memory: up to 31 eight-bit samples, patterns of 64 rows and an order list.
// Used by the sample show's tune and by the music tests' tone modules.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace velmora::tools {

constexpr int kModChannels = 4;
constexpr int kModRows = 64;
constexpr int kModSamples = 31;

struct ModSample {
    std::string name;             // up to 22 characters are kept
    std::vector<int8_t> data;     // an even number of bytes, at most 131070
    int volume = 64;              // 0 to 64
    int finetune = 0;             // -8 to 7
    // The looped stretch in bytes (even); a loop length of 0 plays once.
    size_t loopStart = 0;
    size_t loopLength = 0;
};

// One cell of a pattern: a note struck with a sample (both 0 for none) and an
// effect with its parameter (0, 0 for none).
struct ModCell {
    int period = 0;   // the Amiga period of the note, such as 428 for C-2
    int sample = 0;   // 1 to 31
    int effect = 0;   // 0x0 to 0xF
    int parameter = 0;
};

using ModRow = std::array<ModCell, kModChannels>;
using ModPattern = std::array<ModRow, kModRows>;

struct ModModule {
    std::string title;                  // up to 20 characters are kept
    std::vector<ModSample> samples;     // sample k + 1 of the cells is samples[k]
    std::vector<ModPattern> patterns;   // at most 64
    std::vector<int> order;             // 1 to 128 pattern numbers
};

// The period of a note in ProTracker's three octaves: octave 1 to 3 (C-1 is
// 856, C-2 428, C-3 214), semitone 0 (C) to 11 (B), finetune 0.
int ModPeriod(int octave, int semitone);

// Whether the description makes a sound module; the first fault, or empty.
std::string CheckModule(const ModModule& module);

// The module file's bytes (the description is assumed sound).
std::vector<uint8_t> ModBytes(const ModModule& module);

}  // namespace velmora::tools
