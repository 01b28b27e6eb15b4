// One run of a music fuzz target: the sound library stand-in initialised
// with the player's own file callbacks (read, seek, tell, close over a
// MemoryFile) serving the input under the names the targets open, the
// virtual clock moving a short block of the mix a frame, every sample of
// the mix read. The platform is set up once per process; everything loaded
// is released at the end of each run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_memory_file.h"
#include "music/music_player.h"
#include "platform/fmod/fmod.h"
#include "platform/fmod/sound_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"

namespace velmora::fuzzing {


// The names the input is served under.
constexpr const char* kFuzzMpegName = "fuzz.mp3";
constexpr const char* kFuzzWavName = "fuzz.wav";

class MusicFuzzRun {
public:
    // Each MixBlock mixes blockFrames frames.
    MusicFuzzRun(const uint8_t* data, size_t size, uint64_t blockFrames) {
        using namespace velmora::platform;
        static const bool platformSetUp = [] {
            PlatformSettings settings;
            settings.windowSystem = WindowBackEnd::Null;
            settings.sound = SoundBackEnd::Silent;
            UsePlatformSettings(settings);
            return true;
        }();
        (void)platformSetUp;
        input = data;
        inputSize = size;
        // 44,100 / blockFrames frames a second: a frame of the clock is
        // exactly one block of the mix.
        UseVirtualClock(FrameRate{44100, blockFrames}, 0);
        ObserveMix(ReadMix);
        FSOUND_File_SetCallbacks(OpenInput, MusicCloseCallback, MusicReadCallback, MusicSeekCallback,
                                 MusicTellCallback);
        FSOUND_Init(44100, 64, 0);
    }
    // Everything released, the stream files closed through the callbacks.
    ~MusicFuzzRun() {
        velmora::platform::StopSoundOutput();
        ResetMemoryCounters();
    }
    MusicFuzzRun(const MusicFuzzRun&) = delete;
    MusicFuzzRun& operator=(const MusicFuzzRun&) = delete;

    // The next block of the mix.
    void MixBlock() { velmora::platform::FramePresented(); }

private:
    static void* OpenInput(const char* name) {
        if (std::strcmp(name, kFuzzMpegName) != 0 && std::strcmp(name, kFuzzWavName) != 0) return nullptr;
        return NewFuzzFile(name, input, inputSize);
    }
    // The mix is read, so that nothing of it can be left out.
    static void ReadMix(const int16_t* samples, size_t frames) {
        static volatile int64_t sink = 0;
        int64_t sum = 0;
        for (size_t i = 0; i < frames * 2; ++i) sum += samples[i];
        sink = sink + sum;
    }

    static inline const uint8_t* input = nullptr;
    static inline size_t inputSize = 0;
};

}  // namespace velmora::fuzzing

// AddressSanitizer keeps freed memory out of use for a while to catch late
// uses of it; by default 256 MB of it, so that nearly every block a run
// allocates lies on pages never touched before, and a page fault costs more
// than the rest of a stream run. 8 MB is still several runs' worth (a
// module run frees about 2.4 MB, a stream run far less): a use after free
// within a run, or the next, is still caught. (Each target includes this
// header once.)
extern "C" const char* __asan_default_options() { return "quarantine_size_mb=8"; }
