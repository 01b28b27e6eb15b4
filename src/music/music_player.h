// The music player.
#pragma once

#include <cstdint>

// One loaded piece of music.
struct MusicTrack {
    char* fileName;
    int32_t kind;  // 0 not recognised, 1 module, 2 MPEG stream, 3 WAV stream
    void* handle;  // the sound library's module or stream; null when loading failed
};

// Loads the named music; always returns a record the caller owns, with a
// null handle when nothing could be loaded. The name is cut in place by
// StripDataPath.
MusicTrack* LoadMusic(char* name);
void PlayMusic(MusicTrack* track);
void StopMusic(MusicTrack* track);
