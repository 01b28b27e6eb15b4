// The music player: one piece of music per request, a tracker
// module or a streamed sound file, loaded, played and stopped through the
// sound library with the library reading from the data archive through the
// file callbacks below.
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
// StripDataPath. (Only when not even the record can be allocated is the
// result null.)
MusicTrack* LoadMusic(char* name);
void PlayMusic(MusicTrack* track);
void StopMusic(MusicTrack* track);
// The message for a sound library error code; "Unknown error" for any other.
const char* MusicErrorText(int code);

// The file callbacks handed to the sound library; the handle is a MemoryFile.
void* MusicOpenCallback(const char* name);
void MusicCloseCallback(void* handle);
int MusicReadCallback(void* buffer, int size, void* handle);
int MusicSeekCallback(void* handle, int position, signed char mode);
int MusicTellCallback(void* handle);
