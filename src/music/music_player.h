// The music player.
#pragma once

#include <cstdint>

// The track record grows its fields with the music player.
struct MusicTrack {
    int32_t playing;
};

void PlayMusic(MusicTrack* track);
void StopMusic(MusicTrack* track);
