// The sound library stand-in on arbitrary bytes as an MPEG audio stream
// (libmpg123), opened through the player's file callbacks over a MemoryFile
// as the player opens it: played for a block of the mix, stopped, and
// played again from the start for another, as a show may.
#include "music_fuzz_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0x7FFFFFFF) return 0;
    velmora::fuzzing::MusicFuzzRun run(data, size, 1024);
    FSOUND_STREAM* stream = FSOUND_Stream_OpenMpeg(velmora::fuzzing::kFuzzMpegName, FSOUND_STEREO);
    if (!stream) return 0;
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    run.MixBlock();
    FSOUND_Stream_Stop(stream);
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    run.MixBlock();
    return 0;
}
