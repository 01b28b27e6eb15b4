// A decoded stream at its own rate and channel count, and the converter that
// makes a mix-rate stereo SoundSource of it through a resampler.
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
// kept; a rate other than the mix rate goes through the resampler.
std::unique_ptr<SoundSource> ConvertToMix(std::unique_ptr<NativeStream> stream);

// Band-limited rate conversion of interleaved stereo floats to the mix rate.
class Resampler {
public:
    virtual ~Resampler() = default;
    // Takes frames in; false when it cannot.
    virtual bool Put(const float* samples, size_t frames) = 0;
    // The input has ended: what the resampler holds becomes available.
    virtual void Flush() = 0;
    // Up to frames frames of output; how many were there.
    virtual size_t Get(float* samples, size_t frames) = 0;
    // Empty again, as made, for a stream that starts over.
    virtual void Clear() = 0;
};

// SDL's audio stream resampler (platform/sdl), from inputRate to the mix
// rate; null when SDL refuses the rate.
std::unique_ptr<Resampler> CreateResampler(uint32_t inputRate);

// The largest stream rate taken (a header claiming more is refused).
constexpr uint32_t kLargestStreamRate = 768000;

}  // namespace velmora::platform::audio
