#include "music/music_player.h"

#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"

// No sound library is wired in yet: a track keeps its name and plays nothing.
MusicTrack* LoadMusic(char* name) {
    MusicTrack* track = static_cast<MusicTrack*>(std::calloc(1, sizeof(MusicTrack)));
    if (!track || !name) return track;
    StripDataPath(name);
    size_t length = std::strlen(name);
    track->fileName = static_cast<char*>(std::calloc(length + 2, 1));
    if (track->fileName) std::memcpy(track->fileName, name, length);
    return track;
}

void PlayMusic(MusicTrack*) {}

void StopMusic(MusicTrack*) {}
