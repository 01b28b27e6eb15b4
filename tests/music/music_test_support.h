// What the music tests share: the mix as the stand-in makes it, WAV files
// read back with libsndfile, and measures of loudness and pitch.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::testing {

// The folder of the test music (house_lo.mp3, house_lo.wav).
std::string MusicDataPath(const std::string& name);

// Every block of the mix from now on, interleaved stereo.
class MixRecorder {
public:
    MixRecorder();
    ~MixRecorder();
    const std::vector<int16_t>& samples() const { return samples_; }
    size_t frames() const { return samples_.size() / 2; }
    void Clear() { samples_.clear(); }

private:
    std::vector<int16_t> samples_;
};

// A mono 16-bit PCM WAV file of frames frames of a sine at hertz, at half
// full scale, whose header claims rate (written by hand, so that any rate
// can be claimed); with extensible set, its format header is the extensible
// one (WAVE_FORMAT_EXTENSIBLE, as editors write for more than two channels
// or more than 16 bits).
std::vector<uint8_t> ToneWav(uint32_t rate, size_t frames, double hertz, bool extensible = false);

// Interleaved samples of a WAV file; false when it cannot be read.
bool ReadWav(const std::string& path, std::vector<int16_t>& samples, int& rate, int& channels);

// Root mean square of frames [first, first + count) of both channels.
double Rms(const std::vector<int16_t>& stereo, size_t first, size_t count);
// How alike two mixes are over the frames both have: their normalised
// correlation, 1 for the same, near 0 for unrelated sounds, 0 when either
// is silent.
double Alike(const std::vector<int16_t>& a, const std::vector<int16_t>& b);
// The frequency of one channel over frames [first, first + count) by its
// rising zero crossings.
double ZeroCrossingHertz(const std::vector<int16_t>& stereo, int channel, size_t first, size_t count);

}  // namespace velmora::testing
