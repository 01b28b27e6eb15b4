// What of a RIFF WAVE file playing needs, and the file as libsndfile is
// shown it: the format chunk, the fact chunk and the sound data, found by
// walking the file's chunks. Every other chunk (lists, cues, text, ...) is
// metadata the player never uses and libsndfile never sees: its readers for
// them are where hostile bytes stall it (a list entry whose length wraps its
// count round makes it read the same entry for ever).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/backend/sound.h"

namespace velmora::platform::audio {

// The largest format chunk taken (the plain one is 16 bytes, the
// extensible one 40, MS ADPCM's with its coefficients 50).
constexpr uint32_t kLargestFormatChunk = 1024;
// The largest fact chunk taken (4 bytes, the sample count).
constexpr uint32_t kLargestFactChunk = 64;

struct WavLayout {
    bool bigEndian = false;     // a RIFX file
    std::vector<uint8_t> format;  // the fmt chunk's bytes
    std::vector<uint8_t> fact;    // the fact chunk's bytes; empty when there is none
    int64_t dataOffset = 0;     // where the sound data starts in the file
    int64_t dataLength = 0;     // how much of it the file holds
};

// Walks the file's chunks from the start; false when it is no RIFF (or
// RIFX) WAVE file or holds no format chunk of a sound size and no data
// chunk. A data chunk longer than the file is taken as far as the file goes.
bool ReadWavLayout(StreamFile& file, WavLayout& layout);

// The file as a WAV of its format, fact and data chunks alone, read through
// from the file's sound data where it lies.
std::unique_ptr<StreamFile> WavPlayingView(std::unique_ptr<StreamFile> file, const WavLayout& layout);

}  // namespace velmora::platform::audio
