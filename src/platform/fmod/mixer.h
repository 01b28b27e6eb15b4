// The mixer core of the sound library stand-in: the sum of every playing
// song and stream at 44,100 Hz stereo, as 16-bit samples. Pure: it knows
// nothing of clocks, devices or files, and is not locked (the stand-in
// locks around it).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/backend/sound.h"

namespace velmora::platform::fmod {

// A float sample in -1 ... 1 as a 16-bit one: rounded, clipped, 0 for NaN.
int16_t ToSample(float value);

class Mixer {
public:
    using VoiceId = size_t;

    // Takes a source in, stopped. With loop set it starts again at its end.
    VoiceId Add(std::unique_ptr<SoundSource> source, bool loop);
    // Starts the voice from its beginning (also when it is playing); false
    // when its source cannot go back to the beginning.
    bool Play(VoiceId voice);
    // Silences the voice; its source stays.
    void Stop(VoiceId voice);
    // Whether the voice plays; one that a skip took past its end has stopped.
    bool Playing(VoiceId voice);
    size_t VoiceCount() const { return voices_.size(); }
    bool AnyPlaying() const;

    // The next frames frames of the mix, interleaved stereo, into out. A
    // voice that ends stops by itself.
    void Mix(int16_t* out, size_t frames);
    // The next frames frames go by unheard: every playing voice moves on as
    // far without being rendered, and is put at its place when next asked.
    void Skip(uint64_t frames);
    // Every voice a skip moved put at its place now: a looping one wrapped
    // round its length, one past its end stopped.
    void Settle();

    // Every voice and its source released.
    void Clear() { voices_.clear(); }

private:
    struct Voice {
        std::unique_ptr<SoundSource> source;
        bool loop = false;
        bool playing = false;
        uint64_t position = 0;  // frames since it started, or last started again
        bool moved = false;     // skipped on, and not yet put there
    };
    void AddVoice(Voice& voice, size_t frames);
    static void SettleVoice(Voice& voice);

    std::vector<Voice> voices_;
    std::vector<float> sum_;
    std::vector<float> block_;
};

}  // namespace velmora::platform::fmod
