// The sound library stand-in's own controls, for the platform set-up and the
// tests; the engine sees only fmod.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace velmora::platform {

// From the platform's set-up whenever a record is put in force: whether
// FSOUND_Init opens a sound device (off the virtual clock) or mixes silently.
void UseSoundDevice(bool wanted);

// From InstallPlatform: the mix is captured to DIR/audio.wav when a capture
// folder is named (empty: none), and the stand-in mixes in step with the
// clock from now on wherever no sound device pulls the mix on its own.
void StartSoundOutput(const std::string& captureDirectory);
// From UninstallPlatform (also after Escape): the sound device is closed,
// audio.wav finished, every song and stream released and the library back to
// uninitialised, with its file callbacks and error cleared. Tests call it
// between cases.
void StopSoundOutput();

// For a seek, which runs the show unseen and unheard up to a time: while
// set, the clock's advance moves every playing song and stream on without
// mixing it (nothing is captured, observed or heard of that time). Clearing
// it puts each of them at its place, so that the mix from there is what a
// play through would have made then.
void SkipMix(bool skipping);

// For a tool that paces the virtual clock to real time (the preview): the
// mix made in step with the clock is also played on the system's sound
// device, opened now and kept open, through the library's restarts, until
// StopHearingClockedMix (also from UninstallPlatform). False, with why,
// when no device opens; the mix then goes unheard.
bool HearClockedMix(std::string& why);
// What was made and not yet heard is dropped, at a pause or a seek.
void DropHeardMix();
void StopHearingClockedMix();

// Samples (stereo frames) mixed since the stand-in started.
uint64_t SamplesMixed();
// The output FSOUND_Init opened: "SDL", "silent", or null before it.
const char* SoundOutputName();
// Every block of the mix as it is made (on the thread that makes it), for
// tests; null removes the observer.
using MixObserver = std::function<void(const int16_t* samples, size_t frames)>;
void ObserveMix(MixObserver observer);

}  // namespace velmora::platform
