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
    // To frame frames from the first without decoding them; the frame
    // reached: frame, the stream's length when it is shorter, 0 when the
    // stream cannot move.
    virtual uint64_t Seek(uint64_t frame) = 0;
};

// The rates a stream may have: the mix is resampled from nothing slower
// than 1,000 Hz (44.1 output frames to each input frame at most) and from
// nothing faster than 384,000 Hz. A header that claims a rate outside them
// is damaged or hostile.
constexpr uint32_t kSmallestStreamRate = 1000;
constexpr uint32_t kLargestStreamRate = 384000;
constexpr bool PlayableStreamRate(uint32_t rate) {
    return rate >= kSmallestStreamRate && rate <= kLargestStreamRate;
}
// The most channels a stream may have (the first two are played).
constexpr int kLargestStreamChannels = 64;

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

// Mono is played on both sides, the first two channels of more than two are
// kept; a rate other than the mix rate goes through the resampler. Null
// when the rate or the channel count is not playable or no resampler takes it.
std::unique_ptr<SoundSource> ConvertToMix(std::unique_ptr<NativeStream> stream);
// The same through the resampler given (null for a stream at the mix rate).
std::unique_ptr<SoundSource> ConvertToMix(std::unique_ptr<NativeStream> stream,
                                          std::unique_ptr<Resampler> resampler);

}  // namespace velmora::platform::audio
