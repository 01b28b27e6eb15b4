#include "platform/fmod/mixer.h"

#include <algorithm>
#include <cmath>

namespace velmora::platform::fmod {

int16_t ToSample(float value) {
    if (!(value == value)) return 0;  // NaN
    float scaled = std::floor(value * 32767.0f + 0.5f);
    if (scaled >= 32767.0f) return 32767;
    if (scaled <= -32768.0f) return -32768;
    return static_cast<int16_t>(scaled);
}

Mixer::VoiceId Mixer::Add(std::unique_ptr<SoundSource> source, bool loop) {
    Voice voice;
    voice.source = std::move(source);
    voice.loop = loop;
    voices_.push_back(std::move(voice));
    return voices_.size() - 1;
}

bool Mixer::Play(VoiceId id) {
    if (id >= voices_.size() || !voices_[id].source) return false;
    Voice& voice = voices_[id];
    voice.playing = voice.source->Restart();
    voice.position = 0;
    voice.moved = false;
    return voice.playing;
}

void Mixer::Stop(VoiceId id) {
    if (id < voices_.size()) voices_[id].playing = false;
}

bool Mixer::AnyPlaying() const {
    for (const Voice& voice : voices_)
        if (voice.playing) return true;
    return false;
}

bool Mixer::Playing(VoiceId id) {
    if (id >= voices_.size()) return false;
    SettleVoice(voices_[id]);
    return voices_[id].playing;
}

void Mixer::Skip(uint64_t frames) {
    for (Voice& voice : voices_)
        if (voice.playing) {
            voice.position += frames;
            voice.moved = frames > 0 || voice.moved;
        }
}

void Mixer::SettleVoice(Voice& voice) {
    if (!voice.moved || !voice.playing) return;
    voice.moved = false;
    const uint64_t reached = voice.source->Seek(voice.position);
    if (reached == voice.position) return;
    // Shorter than the time gone by: a looping voice has come round to the
    // same time into a later repetition, any other has ended.
    if (voice.loop && reached > 0) {
        voice.position %= reached;
        if (voice.source->Seek(voice.position) == voice.position) return;
    }
    voice.playing = false;
}

void Mixer::Settle() {
    for (Voice& voice : voices_) SettleVoice(voice);
}

void Mixer::AddVoice(Voice& voice, size_t frames) {
    constexpr size_t kBlock = 4096;
    block_.resize(kBlock * 2);
    size_t done = 0;
    bool restarted = false;
    while (done < frames && voice.playing) {
        size_t want = std::min(kBlock, frames - done);
        size_t got = voice.source->Render(block_.data(), want);
        float* sum = sum_.data() + done * 2;
        for (size_t i = 0; i < got * 2; ++i) sum[i] += block_[i];
        done += got;
        voice.position += got;
        if (got > 0) restarted = false;
        if (got == want) continue;
        // The source has ended: a looping one starts again, unless it has
        // nothing at all to give.
        if (voice.loop && !restarted && voice.source->Restart()) {
            restarted = true;
            voice.position = 0;
            continue;
        }
        voice.playing = false;
    }
}

void Mixer::Mix(int16_t* out, size_t frames) {
    sum_.assign(frames * 2, 0.0f);
    Settle();
    for (Voice& voice : voices_)
        if (voice.playing) AddVoice(voice, frames);
    for (size_t i = 0; i < frames * 2; ++i) out[i] = ToSample(sum_[i]);
}

}  // namespace velmora::platform::fmod
