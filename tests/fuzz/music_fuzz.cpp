// The sound library stand-in on arbitrary bytes: the input loaded as a
// module from memory, and opened as an MPEG stream and as a WAV stream
// through file callbacks over a MemoryFile (the player's own read, seek, tell
// and close), each played and mixed for a second on the virtual clock.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "data/memory_file.h"
#include "fuzz_memory_file.h"
#include "music/music_player.h"
#include "platform/fmod/fmod.h"
#include "platform/fmod/sound_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/win32/clock_control.h"

namespace {

const uint8_t* input = nullptr;
size_t inputSize = 0;

void* OpenInput(const char* name) {
    if (std::strcmp(name, "fuzz.mp3") != 0 && std::strcmp(name, "fuzz.wav") != 0) return nullptr;
    return velmora::fuzzing::NewFuzzFile(name, input, inputSize);
}

// One second of the mix: the clock moves on by one frame at 1 frame a second.
void MixASecond() { velmora::platform::FramePresented(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace velmora::platform;
    static bool once = [] {
        PlatformSettings settings;
        settings.windowSystem = WindowBackEnd::Null;
        settings.sound = SoundBackEnd::Silent;
        UsePlatformSettings(settings);
        return true;
    }();
    (void)once;
    UseVirtualClock(velmora::platform::FrameRate{1, 1}, 0);
    input = data;
    inputSize = size;
    // The mix is read, so that nothing of it can be left out.
    static volatile int64_t sink = 0;
    ObserveMix([](const int16_t* samples, size_t frames) {
        int64_t sum = 0;
        for (size_t i = 0; i < frames * 2; ++i) sum += samples[i];
        sink = sink + sum;
    });
    FSOUND_File_SetCallbacks(OpenInput, MusicCloseCallback, MusicReadCallback, MusicSeekCallback,
                             MusicTellCallback);
    FSOUND_Init(44100, 64, 0);

    if (FMUSIC_MODULE* song = FMUSIC_LoadSongMemory(const_cast<uint8_t*>(data), static_cast<int>(size))) {
        FMUSIC_PlaySong(song);
        MixASecond();
        FMUSIC_StopSong(song);
    }
    for (bool mpeg : {true, false}) {
        FSOUND_STREAM* stream = mpeg ? FSOUND_Stream_OpenMpeg("fuzz.mp3", FSOUND_STEREO)
                                     : FSOUND_Stream_OpenWav("fuzz.wav", 0x2041);
        if (!stream) continue;
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        MixASecond();
        // Played again from the start, as a show may.
        FSOUND_Stream_Stop(stream);
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        MixASecond();
    }
    // Everything released, the stream files closed through the callbacks.
    StopSoundOutput();
    velmora::fuzzing::ResetMemoryCounters();
    return 0;
}
