#include "music/music_test_support.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>

#include "platform/fmod/sound_system.h"

namespace velmora::testing {

std::string MusicDataPath(const std::string& name) { return std::string(VELMORA_MUSIC_DATA) + "/" + name; }

MixRecorder::MixRecorder() {
    platform::ObserveMix([this](const int16_t* samples, size_t frames) {
        samples_.insert(samples_.end(), samples, samples + frames * 2);
    });
}

MixRecorder::~MixRecorder() { platform::ObserveMix(nullptr); }

std::vector<uint8_t> ToneWav(uint32_t rate, size_t frames, double hertz, bool extensible) {
    std::vector<uint8_t> out;
    auto put16 = [&out](uint32_t value) {
        out.push_back(static_cast<uint8_t>(value));
        out.push_back(static_cast<uint8_t>(value >> 8));
    };
    auto put32 = [&](uint32_t value) {
        put16(value & 0xFFFF);
        put16(value >> 16);
    };
    auto text = [&out](const char* four) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(four[i]));
    };
    const uint32_t dataBytes = static_cast<uint32_t>(frames * 2);
    const uint32_t formatBytes = extensible ? 40 : 16;
    text("RIFF");
    put32(20 + formatBytes + dataBytes);
    text("WAVE");
    text("fmt ");
    put32(formatBytes);
    put16(extensible ? 0xFFFE : 1);  // PCM
    put16(1);                        // mono
    put32(rate);
    put32(rate * 2);  // bytes a second
    put16(2);         // bytes a frame
    put16(16);        // bits a sample
    if (extensible) {
        put16(22);  // the extension's size
        put16(16);  // valid bits
        put32(4);   // the channel: front centre
        // The sub-format, PCM: 00000001-0000-0010-8000-00AA00389B71.
        put32(1);
        put16(0);
        put16(0x10);
        for (uint8_t byte : {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}) out.push_back(byte);
    }
    text("data");
    put32(dataBytes);
    for (size_t i = 0; i < frames; ++i) {
        const double phase = 2.0 * M_PI * hertz * static_cast<double>(i) / static_cast<double>(rate);
        put16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(16384.0 * std::sin(phase)))));
    }
    return out;
}

bool ReadWav(const std::string& path, std::vector<int16_t>& samples, int& rate, int& channels) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return false;
    samples.assign(static_cast<size_t>(info.frames) * info.channels, 0);
    sf_count_t got = sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    rate = info.samplerate;
    channels = info.channels;
    return got == info.frames;
}

double Rms(const std::vector<int16_t>& stereo, size_t first, size_t count) {
    double sum = 0.0;
    size_t n = 0;
    for (size_t i = first * 2; i < (first + count) * 2 && i < stereo.size(); ++i, ++n)
        sum += static_cast<double>(stereo[i]) * stereo[i];
    return n ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
}

double Alike(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
    double ab = 0.0, aa = 0.0, bb = 0.0;
    for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        ab += static_cast<double>(a[i]) * b[i];
        aa += static_cast<double>(a[i]) * a[i];
        bb += static_cast<double>(b[i]) * b[i];
    }
    return aa > 0.0 && bb > 0.0 ? ab / std::sqrt(aa * bb) : 0.0;
}

double ZeroCrossingHertz(const std::vector<int16_t>& stereo, int channel, size_t first, size_t count) {
    int crossings = 0;
    size_t firstCrossing = 0, lastCrossing = 0;
    for (size_t i = first + 1; i < first + count && i * 2 + 1 < stereo.size(); ++i) {
        int16_t before = stereo[(i - 1) * 2 + channel], now = stereo[i * 2 + channel];
        if (before < 0 && now >= 0) {
            if (crossings == 0) firstCrossing = i;
            lastCrossing = i;
            ++crossings;
        }
    }
    if (crossings < 2) return 0.0;
    return 44100.0 * (crossings - 1) / static_cast<double>(lastCrossing - firstCrossing);
}

}  // namespace velmora::testing
