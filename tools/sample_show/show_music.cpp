#include "sample_show/show_music.h"

#include <algorithm>
#include <cmath>

#include "sample_show/procedural.h"

namespace velmora::tools {

namespace {

constexpr double kPi = 3.14159265358979;
// The rate a sample plays at on C-3 (period 214) on a PAL Amiga: drums and the
// pluck are made at this rate and struck on C-3.
constexpr double kC3Rate = 7093789.2 / (2.0 * 214.0);

// Sample numbers of the cells (1-based, as the module counts them).
enum Instrument { kKick = 1, kSnare, kHat, kOpenHat, kCrash, kBass, kPluck, kLead };

std::vector<int8_t> ToBytes(const std::vector<double>& wave, double peak = 118.0) {
    double loudest = 1e-9;
    for (double v : wave) loudest = std::max(loudest, std::fabs(v));
    std::vector<int8_t> bytes;
    for (double v : wave) bytes.push_back(static_cast<int8_t>(std::lround(v / loudest * peak)));
    if (bytes.size() % 2) bytes.push_back(0);
    return bytes;
}

ModSample OneShot(const char* name, const std::vector<double>& wave, int volume) {
    ModSample sample;
    sample.name = name;
    sample.data = ToBytes(wave);
    sample.volume = volume;
    return sample;
}

ModSample Looped(const char* name, const std::vector<double>& cycle, int volume) {
    ModSample sample = OneShot(name, cycle, volume);
    sample.loopLength = sample.data.size();
    return sample;
}

std::vector<double> Kick() {
    std::vector<double> wave(static_cast<size_t>(kC3Rate * 0.3));
    double phase = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kC3Rate;
        const double frequency = 45.0 + 120.0 * std::exp(-t * 30.0);
        phase += 2.0 * kPi * frequency / kC3Rate;
        wave[i] = std::sin(phase) * std::exp(-t * 9.0) + (t < 0.004 ? 0.6 * (1.0 - t / 0.004) : 0.0);
    }
    return wave;
}

std::vector<double> Noise(size_t count, uint32_t seed) {
    Random random(seed);
    std::vector<double> wave(count);
    for (double& v : wave) v = random.Between(-1.0f, 1.0f);
    return wave;
}

std::vector<double> Snare() {
    std::vector<double> wave = Noise(static_cast<size_t>(kC3Rate * 0.22), 7u);
    double low = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double t = i / kC3Rate;
        low += 0.35 * (wave[i] - low);  // take off the harshest hiss
        wave[i] = low * std::exp(-t * 16.0) + 0.7 * std::sin(2.0 * kPi * 185.0 * t) * std::exp(-t * 30.0);
    }
    return wave;
}

std::vector<double> Hat(double seconds, double decay, uint32_t seed) {
    std::vector<double> wave = Noise(static_cast<size_t>(kC3Rate * seconds), seed);
    double previous = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double high = wave[i] - previous;  // only the top of the noise
        previous = wave[i];
        wave[i] = high * std::exp(-(i / kC3Rate) * decay);
    }
    return wave;
}

std::vector<double> Crash() {
    std::vector<double> wave = Noise(static_cast<size_t>(kC3Rate * 1.2), 19u);
    double previous = 0.0, low = 0.0;
    for (size_t i = 0; i < wave.size(); ++i) {
        const double high = wave[i] - 0.6 * previous;
        previous = wave[i];
        low += 0.6 * (high - low);
        wave[i] = low * std::exp(-(i / kC3Rate) * 3.2);
    }
    return wave;
}

// One cycle of a bright saw with a little square in it, 64 bytes: C-2 plays
// it at about 129 Hz.
std::vector<double> BassCycle() {
    std::vector<double> cycle(64);
    for (size_t i = 0; i < cycle.size(); ++i) {
        const double x = 2.0 * kPi * i / cycle.size();
        double v = 0.0;
        for (int k = 1; k <= 9; ++k) v += std::sin(k * x) / k * (k % 2 ? 1.0 : 0.6);
        cycle[i] = v;
    }
    return cycle;
}

// A pulse of a quarter duty with soft edges, 32 bytes: C-2 is about 259 Hz.
std::vector<double> LeadCycle() {
    std::vector<double> cycle(32);
    for (size_t i = 0; i < cycle.size(); ++i) {
        const double x = 2.0 * kPi * i / cycle.size();
        double v = 0.0;
        for (int k = 1; k <= 7; ++k) v += std::sin(k * kPi * 0.25) * std::cos(k * x) / k;
        cycle[i] = v;
    }
    return cycle;
}

// A plucked string (Karplus-Strong) at kC3Rate with a 64-sample loop: C-3
// plays it at about 259 Hz.
std::vector<double> Pluck() {
    const size_t period = 64;
    std::vector<double> wave = Noise(static_cast<size_t>(kC3Rate * 0.7), 23u);
    for (size_t i = 1; i < period; ++i) wave[i] = 0.5 * (wave[i] + wave[i - 1]);
    for (size_t i = period; i < wave.size(); ++i)
        wave[i] = 0.996 * 0.5 * (wave[i - period] + wave[i - period + 1]);
    return wave;
}

struct Pitch {
    int octave;
    int semitone;
};

enum Semitone { C = 0, D = 2, E = 4, F = 5, G = 7, A = 9, B = 11 };

ModCell Strike(int sample, Pitch pitch, int volume = -1, int effect = 0, int parameter = 0) {
    ModCell cell{ModPeriod(pitch.octave, pitch.semitone), sample, effect, parameter};
    if (volume >= 0 && effect == 0) {
        cell.effect = 0xC;
        cell.parameter = volume;
    }
    return cell;
}

// The chords, one a bar: Am, F, C, G.
struct Chord {
    Pitch bass;
    Pitch tones[4];  // for the pluck, low to high
};
const Chord kChords[4] = {
    {{1, A}, {{2, A}, {3, C}, {3, E}, {3, A}}},
    {{1, F}, {{2, F}, {2, A}, {3, C}, {3, F}}},
    {{2, C}, {{2, G}, {3, C}, {3, E}, {3, G}}},
    {{1, G}, {{2, G}, {2, B}, {3, D}, {3, G}}},
};

enum class Drums { Hats, Build, Groove, Break };

void PutDrums(ModPattern& pattern, Drums style, bool crash) {
    const Pitch hit{3, C};
    for (int row = 0; row < kModRows; ++row) {
        const int bar = row / 16, inBar = row % 16;
        ModCell& cell = pattern[row][0];
        const bool lastBar = bar == 3;
        switch (style) {
        case Drums::Hats:
            if (inBar % 2 == 0) cell = Strike(kHat, hit, inBar % 4 == 0 ? 20 : 30);
            break;
        case Drums::Build:
            // Hats, then the kick from the second bar, a snare roll in the last.
            if (lastBar && inBar >= 8) cell = Strike(kSnare, hit, 16 + (inBar - 8) * 5);
            else if (lastBar && inBar % 2 == 0) cell = Strike(kSnare, hit, 24 + inBar * 2);
            else if (bar >= 1 && inBar % 8 == 0) cell = Strike(kKick, hit, 64);
            else if (inBar % 2 == 0) cell = Strike(kHat, hit, 28);
            break;
        case Drums::Groove:
            if (inBar == 0 || inBar == 8 || inBar == 11) cell = Strike(kKick, hit, 64);
            else if (inBar == 4 || inBar == 12) cell = Strike(kSnare, hit, 52);
            else if (inBar == 14) cell = Strike(kOpenHat, hit, 30);
            else if (inBar % 2 == 0) cell = Strike(kHat, hit, 30);
            else if (lastBar && inBar == 15) cell = Strike(kSnare, hit, 30);
            break;
        case Drums::Break:
            if (inBar == 0 && !lastBar) cell = Strike(kKick, hit, 64);
            else if (lastBar && inBar % 2 == 0) cell = Strike(kSnare, hit, 20 + inBar * 2);
            else if (lastBar && inBar >= 12) cell = Strike(kSnare, hit, 44);
            break;
        }
    }
    if (crash) pattern[0][0] = Strike(kCrash, hit, 56);
}

void PutBass(ModPattern& pattern, bool held) {
    for (int bar = 0; bar < 4; ++bar) {
        const Pitch root = kChords[bar].bass;
        const Pitch up{root.octave + 1, root.semitone};
        if (held) {
            pattern[bar * 16][1] = Strike(kBass, root, 44);
            continue;
        }
        for (int eighth = 0; eighth < 8; ++eighth) {
            // Root, root, octave: a pumping figure; each note cut short.
            const Pitch pitch = eighth % 3 == 2 ? up : root;
            pattern[bar * 16 + eighth * 2][1] = Strike(kBass, pitch, -1, 0xE, 0xC4);
        }
    }
}

void PutArpeggio(ModPattern& pattern, int loud, int soft) {
    static const int kOrder[16] = {0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 2, 3, 1, 2};
    for (int row = 0; row < kModRows; ++row) {
        const Chord& chord = kChords[row / 16];
        pattern[row][2] = Strike(kPluck, chord.tones[kOrder[row % 16]], row % 4 == 0 ? loud : soft);
    }
}

struct MelodyNote {
    int row;
    Pitch pitch;
    int length;
};

// Each note held for its length with vibrato from its third row, then silenced
// unless the next note starts there.
void PutMelody(ModPattern& pattern, const std::vector<MelodyNote>& notes, int volume) {
    for (size_t n = 0; n < notes.size(); ++n) {
        const MelodyNote& note = notes[n];
        pattern[note.row][3] = Strike(kLead, note.pitch, volume);
        for (int row = note.row + 2; row < note.row + note.length && row < kModRows; ++row)
            pattern[row][3] = ModCell{0, 0, 0x4, row == note.row + 2 ? 0x43 : 0x00};
        const int end = note.row + note.length;
        const bool nextStarts = n + 1 < notes.size() && notes[n + 1].row == end;
        if (end < kModRows && !nextStarts) pattern[end][3] = ModCell{0, 0, 0xC, 0};
    }
}

const std::vector<MelodyNote> kTheme = {
    {0, {2, A}, 6},   {6, {3, C}, 2},   {8, {3, E}, 4},   {12, {3, D}, 2}, {14, {3, C}, 2},
    {16, {2, A}, 8},  {24, {2, G}, 2},  {26, {2, A}, 2},  {28, {3, C}, 4},
    {32, {2, G}, 6},  {38, {2, E}, 2},  {40, {2, G}, 4},  {44, {3, C}, 4},
    {48, {3, D}, 8},  {56, {2, B}, 2},  {58, {2, A}, 6},
};
const std::vector<MelodyNote> kHeldNotes = {
    {0, {2, E}, 16}, {16, {2, F}, 16}, {32, {2, E}, 16}, {48, {2, D}, 16},
};
const std::vector<MelodyNote> kHighNotes = {
    {0, {3, E}, 14}, {16, {3, C}, 14}, {32, {3, E}, 8}, {40, {3, G}, 8}, {48, {3, D}, 16},
};

}  // namespace

ModModule ShowTune() {
    ModModule tune;
    tune.title = "velmora sample show";
    tune.samples = {
        OneShot("kick", Kick(), 64),        OneShot("snare", Snare(), 64),
        OneShot("hat", Hat(0.05, 90.0, 3u), 64),  OneShot("open hat", Hat(0.25, 14.0, 5u), 64),
        OneShot("crash", Crash(), 64),      Looped("bass", BassCycle(), 48),
        OneShot("pluck", Pluck(), 64),      Looped("lead", LeadCycle(), 64),
    };
    ModPattern intro{}, groove{}, theme{}, lull{};
    PutDrums(intro, Drums::Build, true);
    PutBass(intro, true);
    PutArpeggio(intro, 34, 22);
    intro[0][3] = ModCell{0, 0, 0xF, 0x80};  // 128 beats a minute

    PutDrums(groove, Drums::Groove, true);
    PutBass(groove, false);
    PutArpeggio(groove, 36, 24);
    PutMelody(groove, kHeldNotes, 22);

    PutDrums(theme, Drums::Groove, false);
    PutBass(theme, false);
    PutArpeggio(theme, 30, 20);
    PutMelody(theme, kTheme, 36);

    PutDrums(lull, Drums::Break, false);
    PutBass(lull, true);
    PutArpeggio(lull, 30, 18);
    PutMelody(lull, kHighNotes, 30);

    tune.patterns = {intro, groove, theme, lull};
    tune.order = {0, 1, 2, 3, 1, 2};
    return tune;
}

std::vector<int16_t> StreamSamples() {
    const size_t count = static_cast<size_t>(kStreamRate * kStreamSeconds);
    std::vector<double> mix(count, 0.0);
    const double rate = kStreamRate;
    // The pad: Am9 on detuned saws, through a low-pass that opens.
    const double chord[5] = {110.0, 164.81, 196.0, 246.94, 261.63};
    std::vector<double> phases(10, 0.0);
    double low1 = 0.0, low2 = 0.0;
    for (size_t i = 0; i < count; ++i) {
        const double t = i / rate;
        double saw = 0.0;
        for (int k = 0; k < 10; ++k) {
            const double frequency = chord[k / 2] * (k % 2 ? 1.004 : 0.996);
            phases[k] += frequency / rate;
            phases[k] -= std::floor(phases[k]);
            saw += 2.0 * phases[k] - 1.0;
        }
        const double cutoff = 250.0 + 2200.0 * SmoothStep(0.0f, 6.0f, static_cast<float>(t));
        const double a = 1.0 - std::exp(-2.0 * kPi * cutoff / rate);
        low1 += a * (saw - low1);
        low2 += a * (low1 - low2);
        const double swell = SmoothStep(0.0f, 1.6f, static_cast<float>(t)) *
                             (1.0 - SmoothStep(6.2f, 7.95f, static_cast<float>(t)));
        mix[i] += 0.16 * low2 * swell;
    }
    // A low boom at the start.
    for (size_t i = 0; i < count; ++i) {
        const double t = i / rate;
        mix[i] += 0.9 * std::sin(2.0 * kPi * (42.0 * t + 20.0 * (1.0 - std::exp(-t * 6.0)) / 6.0)) *
                  std::exp(-t * 2.2);
    }
    // Bell notes in eighths of the tune's tempo from the second bar, with echoes.
    const double notes[8] = {880.0, 1046.5, 1318.5, 1568.0, 1760.0, 1568.0, 1318.5, 1174.7};
    const double eighth = kTuneBeatSeconds / 2.0;
    for (int n = 0; n < 24; ++n) {
        const double start = 1.875 + n * eighth;
        const double frequency = notes[(n * 3) % 8] / (n % 5 == 4 ? 2.0 : 1.0);
        for (int echo = 0; echo < 4; ++echo) {
            const double at = start + echo * 3 * eighth;
            const double gain = 0.22 * std::pow(0.45, echo) * (1.0 - SmoothStep(6.0f, 7.9f, static_cast<float>(at)));
            const size_t first = static_cast<size_t>(at * rate);
            for (size_t i = first; i < count && i < first + static_cast<size_t>(rate * 1.2); ++i) {
                const double t = (i - first) / rate;
                mix[i] += gain * std::exp(-t * 4.5) *
                          (std::sin(2.0 * kPi * frequency * t) + 0.3 * std::sin(2.0 * kPi * frequency * 2.76 * t));
            }
        }
    }
    double loudest = 1e-9;
    for (double v : mix) loudest = std::max(loudest, std::fabs(v));
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) samples[i] = static_cast<int16_t>(std::lround(mix[i] / loudest * 20000.0));
    return samples;
}

std::vector<uint8_t> WavBytes(const std::vector<int16_t>& samples, int rate, int channels) {
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t value, int size) {
        for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put(36 + dataBytes, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4);
    put(1, 2);  // PCM
    put(static_cast<uint32_t>(channels), 2);
    put(static_cast<uint32_t>(rate), 4);
    put(static_cast<uint32_t>(rate * channels * 2), 4);
    put(static_cast<uint32_t>(channels * 2), 2);
    put(16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put(dataBytes, 4);
    for (int16_t sample : samples) put(static_cast<uint16_t>(sample), 2);
    return out;
}

}  // namespace velmora::tools
