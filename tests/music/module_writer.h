// Writes small tracker modules that play a known tone, for the music tests:
// one looped sample holding one cycle of a sine wave, struck once at the
// start of a single pattern and held for the pattern's 64 rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::testing {

// Samples in the looped cycle: the tone is the sample's playback rate over this.
constexpr int kToneCycle = 32;
// C-5 in the library's terms (ProTracker's C-2, FastTracker's C-4) plays a
// sample at 8363 Hz, so the tone is about 261 Hz.
constexpr double kToneHertz = 8363.0 / kToneCycle;
// 64 rows at speed 6 and 125 BPM: 64 x 6 x 20 ms.
constexpr double kToneSeconds = 7.68;

// A 4-channel ProTracker module ("M.K."), the tone on the first two channels
// (the left and the right side).
std::vector<uint8_t> ToneMod();
// A 2-channel FastTracker 2 module (XM 1.04), the tone on both channels.
std::vector<uint8_t> ToneXm();

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace velmora::testing
