// Writes small tracker modules that play a known tone, for the music tests:
// one looped sample holding one cycle of a sine wave, struck once at the
// start of a pattern and held for the pattern's rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::testing {

// Samples in the looped cycle: the tone is the sample's playback rate over this.
constexpr int kToneCycle = 32;
// C-5 in the library's terms (ProTracker's C-2, FastTracker's C-4, Scream
// Tracker's C-4, Impulse Tracker's C-5) plays a sample at 8363 Hz, so the
// tone is about 261 Hz.
constexpr double kToneHertz = 8363.0 / kToneCycle;
// 64 rows at speed 6 and 125 BPM: 64 x 6 x 20 ms.
constexpr double kToneSeconds = 7.68;

// A 4-channel ProTracker module ("M.K."), the tone on the first two channels
// (the left and the right side).
std::vector<uint8_t> ToneMod();
// A 2-channel FastTracker 2 module (XM 1.04), the tone on both channels.
std::vector<uint8_t> ToneXm();
// A Scream Tracker 3 module (S3M), the tone on a left and a right channel.
std::vector<uint8_t> ToneS3m();
// An Impulse Tracker module (IT 2.14, samples only), the tone on a channel
// panned left and one panned right.
std::vector<uint8_t> ToneIt();

// An XM tone tune: each pattern strikes its note on both channels at row 0
// and holds it for its rows; the song plays the order list, and at its end
// goes on at the restart position.
struct XmTonePattern {
    int rows = 64;  // 1 to 256
    int note = 49;  // FastTracker's note number, 49 = C-4 (the tone)
};
struct XmToneTune {
    std::vector<XmTonePattern> patterns;
    std::vector<int> order;
    int restart = 0;
    int speed = 6;  // ticks a row
    int bpm = 125;  // a tick is 2.5 / bpm seconds
};
std::vector<uint8_t> XmBytes(const XmToneTune& tune);

// Two seconds: one of the tone, then one of its octave (order 0, then 1),
// with the restart position at the octave.
XmToneTune TwoSecondTune();

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace velmora::testing
