// The engine chunk (local path, holds) and the music chunk of the play script.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "diag/log.h"
#include "music/music_player.h"
#include "show/play_script_lines.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace {

// Times are signed 32-bit milliseconds since the show's start: a hold that
// ends past that range would leave every later action behind a clock that
// wrapped, and the show would never end. A hold may take the clock to half the
// range at most, which leaves the show over twelve days of frames after it.
// Negative or NaN lengths hold nothing.
constexpr double kLatestHoldEnd = kLatestActionTime;

float BoundHold(int32_t time, float length) {
    const double latest = std::max(0.0, kLatestHoldEnd - (time > 0 ? time : 0));
    double kept = length;
    if (!(length >= 0.0f))
        kept = 0.0;
    else if (length > latest)
        kept = latest;
    else
        return length;
    // The float nearest below the bound, so that the hold ends inside it.
    float bounded = static_cast<float>(kept);
    if (bounded > kept) bounded = std::nextafter(bounded, 0.0f);
    WriteLogFormat("ERROR:\t\thold of %f ms refused, %f ms kept", static_cast<double>(length),
                   static_cast<double>(bounded));
    return bounded;
}

}  // namespace

void ReadEngineLine(ScriptReader& reader) {
    const ScriptKeyName* key = ReadScriptKey(reader, ScriptChunk::Engine);
    if (!key) return;
    if (key->key == ScriptKey::LocalPath) {
        if (ScriptKeyIs(ScriptRead(reader, 4), "TRUE", 4)) {
            localPath = 1;
            ScriptSkip(reader, 2);
        } else {
            localPath = 0;
            ScriptSkip(reader, 3);
        }
    } else if (key->key == ScriptKey::Hold) {
        char seconds[kScriptTextSize];
        std::memcpy(seconds, ScriptWord(reader), sizeof seconds);
        float length = static_cast<float>(std::atof(ScriptLastWord(reader)));
        int32_t time = 0;
        if (ReadActionTime(seconds, kActionHold, &time))
            AddScriptAction(time, kActionHold, BoundHold(time, length));
    }
}

namespace {

void FreeMusicTracks() {
    for (int i = 0; i < musicTrackCount && musicTracks; ++i) std::free(musicTracks[i].fileName);
    std::free(musicTracks);
    musicTracks = nullptr;
    musicTrackCount = 0;
}

// The slot a music line names, or null with a logged reason.
MusicTrack* MusicSlot(int index) {
    if (index >= 0 && index < musicTrackCount && musicTracks) return &musicTracks[index];
    WriteLogFormat("ERROR:\t\tmusic_nr: %d\tno such music track, line skipped", index + 1);
    return nullptr;
}

}  // namespace

void ReadMusicLine(ScriptReader& reader) {
    char tag[8] = {};
    std::memcpy(tag, ScriptRead(reader, kScriptTagLength), kScriptTagLength);
    if (ScriptKeyIs(tag, "[00]", kScriptTagLength)) {
        int count = ReadScriptCount(reader);
        FreeMusicTracks();  // a second count line replaces the first
        musicTracks = static_cast<MusicTrack*>(std::calloc(count > 0 ? count : 1, sizeof(MusicTrack)));
        musicTrackCount = musicTracks ? count : 0;
        return;
    }
    int index = ScriptTagIndex(tag);
    const ScriptKeyName* key = ReadScriptKey(reader, ScriptChunk::Music);
    if (!key) return;
    if (key->key == ScriptKey::MusicFileName) {
        char* name = ScriptRestOfLine(reader);
        if (MusicTrack* slot = MusicSlot(index)) {
            // The slot's earlier name goes only once a new record has taken
            // its place: a load that fails leaves the slot as it was.
            if (MusicTrack* loaded = LoadMusic(name)) {
                std::free(slot->fileName);
                *slot = *loaded;
                std::free(loaded);
            }
        }
        std::free(name);
    } else if (key->key == ScriptKey::MusicPlay || key->key == ScriptKey::MusicStop) {
        int32_t type = key->key == ScriptKey::MusicPlay ? kActionPlayMusic : kActionStopMusic;
        int32_t time = 0;
        if (ReadActionTime(ScriptLastWord(reader), type, &time))
            AddScriptAction(time, type, static_cast<float>(index));
    }
}
