#include "music/music_player.h"

// No sound library is wired in yet: tracks only remember whether they play.
void PlayMusic(MusicTrack* track) {
    if (track) track->playing = 1;
}

void StopMusic(MusicTrack* track) {
    if (track) track->playing = 0;
}
