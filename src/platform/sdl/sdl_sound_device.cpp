// The system's default sound device through SDL2's audio: the mix is pulled
// on SDL's own audio thread, as the original library mixes on its own.
#include <SDL.h>

#include "platform/backend/sound.h"

namespace velmora::platform {

namespace {

class SdlSoundDevice : public SoundDevice {
public:
    explicit SdlSoundDevice(PullMix pull) : pull_(std::move(pull)) {}
    ~SdlSoundDevice() override {
        if (device_) SDL_CloseAudioDevice(device_);  // waits for a pull under way
        if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open(std::string& why) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            why = SDL_GetError();
            return false;
        }
        started_ = true;
        SDL_AudioSpec wanted{};
        wanted.freq = static_cast<int>(kMixRate);
        wanted.format = AUDIO_S16SYS;
        wanted.channels = 2;
        wanted.samples = 1024;
        wanted.callback = Pull;
        wanted.userdata = this;
        // No changes allowed: SDL converts to whatever the device takes.
        SDL_AudioSpec obtained{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
        if (device_ == 0) {
            why = SDL_GetError();
            return false;
        }
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

    const char* Name() const override { return "SDL"; }
    bool PullsOnItsOwn() const override { return true; }

private:
    static void SDLCALL Pull(void* user, Uint8* stream, int length) {
        auto* self = static_cast<SdlSoundDevice*>(user);
        self->pull_(reinterpret_cast<int16_t*>(stream),
                    static_cast<size_t>(length) / (2 * sizeof(int16_t)));
    }

    PullMix pull_;
    SDL_AudioDeviceID device_ = 0;
    bool started_ = false;
};

}  // namespace

std::unique_ptr<SoundDevice> OpenSdlSoundDevice(PullMix pull, std::string& why) {
    auto device = std::make_unique<SdlSoundDevice>(std::move(pull));
    if (!device->Open(why)) return nullptr;
    return device;
}

}  // namespace velmora::platform
