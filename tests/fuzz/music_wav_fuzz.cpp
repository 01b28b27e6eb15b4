// The sound library stand-in on arbitrary bytes as a WAV stream
// (libsndfile, and the resampler for rates other than the mix's), opened
// through the player's file callbacks over a MemoryFile as the player opens
// it, in the player's mode: played for a block of the mix, stopped, and
// played again from the start for another, as a show may.
#include "music_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    velmora::fuzzing::MusicFuzzRun run(data, size, 1024);
    FSOUND_STREAM* stream =
        FSOUND_Stream_OpenWav(velmora::fuzzing::kFuzzWavName, FSOUND_2D | FSOUND_STEREO | FSOUND_LOOP_OFF);
    if (!stream) return 0;
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    run.MixBlock();
    FSOUND_Stream_Stop(stream);
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    run.MixBlock();
    return 0;
}
