// The streams' resampler: SDL's audio stream, whose band-limited (windowed
// sinc) converter takes a stream at its own rate to the mix rate.
#include <SDL.h>

#include <climits>

#include "platform/audio/native_stream.h"

namespace velmora::platform::audio {

namespace {

class SdlResampler : public Resampler {
public:
    explicit SdlResampler(SDL_AudioStream* stream) : stream_(stream) {}
    ~SdlResampler() override { SDL_FreeAudioStream(stream_); }

    bool Put(const float* samples, size_t frames) override {
        const size_t bytes = frames * 2 * sizeof(float);
        if (bytes > static_cast<size_t>(INT_MAX)) return false;
        return SDL_AudioStreamPut(stream_, samples, static_cast<int>(bytes)) == 0;
    }
    void Flush() override { SDL_AudioStreamFlush(stream_); }
    size_t Get(float* samples, size_t frames) override {
        size_t bytes = frames * 2 * sizeof(float);
        if (bytes > static_cast<size_t>(INT_MAX)) bytes = static_cast<size_t>(INT_MAX) / 8 * 8;
        int got = SDL_AudioStreamGet(stream_, samples, static_cast<int>(bytes));
        return got > 0 ? static_cast<size_t>(got) / (2 * sizeof(float)) : 0;
    }
    void Clear() override { SDL_AudioStreamClear(stream_); }

private:
    SDL_AudioStream* stream_;
};

}  // namespace

std::unique_ptr<Resampler> CreateResampler(uint32_t inputRate) {
    if (!PlayableStreamRate(inputRate)) return nullptr;
    SDL_AudioStream* stream = SDL_NewAudioStream(AUDIO_F32SYS, 2, static_cast<int>(inputRate),
                                                 AUDIO_F32SYS, 2, static_cast<int>(kMixRate));
    if (!stream) return nullptr;
    return std::make_unique<SdlResampler>(stream);
}

}  // namespace velmora::platform::audio
