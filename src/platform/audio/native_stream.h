// A decoded stream at its own rate and channel count, and the converter that
// makes a mix-rate stereo SoundSource of it with libsoxr.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/backend/sound.h"

namespace velmora::platform::audio {

class NativeStream {
public:
    virtual ~NativeStream() = default;
    virtual uint32_t Rate() const = 0;      // frames per second, > 0
    virtual int Channels() const = 0;       // 1 or more
    // Decodes up to frames frames of Channels() interleaved floats; returns
    // how many, 0 at the end (or on a decoding error, which ends the stream).
    virtual size_t Decode(float* out, size_t frames) = 0;
    // Back to the first frame, with the same rate and channels.
    virtual bool Rewind() = 0;
};

// Mono is played on both sides, the first two channels of more than two are
// kept; a rate other than the mix rate goes through libsoxr's resampler.
std::unique_ptr<SoundSource> ConvertToMix(std::unique_ptr<NativeStream> stream);

// The largest stream rate taken (a header claiming more is refused).
constexpr uint32_t kLargestStreamRate = 768000;

}  // namespace velmora::platform::audio
