// The sample show's two music tracks: a four-channel tracker tune (drums,
// bass, a plucked arpeggio and a lead over Am - F - C - G) and a WAV stream
// of a slowly opening pad with bell notes, for the title and the close.
#pragma once

#include <cstdint>
#include <vector>

#include "module_writer/tracker_module.h"

namespace velmora::tools {

// The tune runs at 128 beats a minute, six ticks a row, four rows a beat:
// every 64-row pattern lasts exactly 7.5 seconds.
constexpr double kTuneBeatSeconds = 0.46875;
// Patterns in play order; the tune lasts their count times 7.5 seconds.
constexpr int kTunePatternsPlayed = 6;

ModModule ShowTune();

// The stream: 16-bit mono at 22,050 Hz, so that the player resamples it.
constexpr int kStreamRate = 22050;
constexpr double kStreamSeconds = 8.0;
std::vector<int16_t> StreamSamples();
// A RIFF WAVE file of 16-bit PCM samples.
std::vector<uint8_t> WavBytes(const std::vector<int16_t>& samples, int rate, int channels);

}  // namespace velmora::tools
