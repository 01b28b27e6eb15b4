// The sound library stand-in on arbitrary bytes as a tracker module (MOD,
// S3M, XM, IT and whatever else libopenmpt reads): loaded from memory,
// played for a block of the mix, stopped, and played again from the start
// for another, as a show may.
#include "music_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    velmora::fuzzing::MusicFuzzRun run(data, size, 4096);
    if (FMUSIC_MODULE* song = FMUSIC_LoadSongMemory(const_cast<uint8_t*>(data), static_cast<int>(size))) {
        FMUSIC_PlaySong(song);
        run.MixBlock();
        FMUSIC_StopSong(song);
        FMUSIC_PlaySong(song);
        run.MixBlock();
    }
    return 0;
}
