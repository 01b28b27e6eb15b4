// The system's default sound device through SDL2's audio: the mix is pulled
// on SDL's own audio thread, as the original library mixes on its own, or,
// for a clock paced to real time, queued as the stand-in makes it.
#include <SDL.h>

#include <vector>

#include "platform/backend/sound.h"

namespace velmora::platform {

namespace {

// The default device opened at the mix's rate and format (SDL converts to
// whatever the device takes) and started: pulled through callback, or
// queued when there is none. 0, with why, when SDL's audio or the device
// does not open; started says whether the audio subsystem must be quit.
SDL_AudioDeviceID OpenMixDevice(SDL_AudioCallback callback, void* user, Uint16 samples, bool& started,
                                std::string& why) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        why = SDL_GetError();
        return 0;
    }
    started = true;
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(kMixRate);
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 2;
    wanted.samples = samples;
    wanted.callback = callback;
    wanted.userdata = user;
    SDL_AudioSpec obtained{};
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        why = SDL_GetError();
        return 0;
    }
    SDL_PauseAudioDevice(device, 0);
    return device;
}

class SdlSoundDevice : public SoundDevice {
public:
    explicit SdlSoundDevice(PullMix pull) : pull_(std::move(pull)) {}
    ~SdlSoundDevice() override {
        if (device_) SDL_CloseAudioDevice(device_);  // waits for a pull under way
        if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open(std::string& why) {
        device_ = OpenMixDevice(Pull, this, 1024, started_, why);
        return device_ != 0;
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

// The silence that goes ahead of the blocks after the queue ran dry: about
// 70 ms, what a frame drawn late may take before the sound breaks up.
constexpr size_t kLeadFrames = 3072;

class SdlQueuedOutput : public QueuedSoundOutput {
public:
    ~SdlQueuedOutput() override {
        if (device_) SDL_CloseAudioDevice(device_);
        if (started_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open(std::string& why) {
        device_ = OpenMixDevice(nullptr, nullptr, 512, started_, why);  // queued, not pulled
        return device_ != 0;
    }

    void Queue(const int16_t* samples, size_t frames) override {
        constexpr size_t kFrameBytes = 2 * sizeof(int16_t);
        if (SDL_GetQueuedAudioSize(device_) == 0) {
            static const std::vector<int16_t> silence(kLeadFrames * 2, 0);
            SDL_QueueAudio(device_, silence.data(), static_cast<Uint32>(kLeadFrames * kFrameBytes));
        }
        SDL_QueueAudio(device_, samples, static_cast<Uint32>(frames * kFrameBytes));
    }

    void Drop() override { SDL_ClearQueuedAudio(device_); }

private:
    SDL_AudioDeviceID device_ = 0;
    bool started_ = false;
};

}  // namespace

std::unique_ptr<QueuedSoundOutput> OpenSdlQueuedOutput(std::string& why) {
    auto output = std::make_unique<SdlQueuedOutput>();
    if (!output->Open(why)) return nullptr;
    return output;
}

std::unique_ptr<SoundDevice> OpenSdlSoundDevice(PullMix pull, std::string& why) {
    auto device = std::make_unique<SdlSoundDevice>(std::move(pull));
    if (!device->Open(why)) return nullptr;
    return device;
}

}  // namespace velmora::platform
