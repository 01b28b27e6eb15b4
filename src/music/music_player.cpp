#include "music/music_player.h"

#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "data/data_archive.h"
#include "data/memory_file.h"
#include "diag/log.h"
#include "diag/memory_counters.h"
#include "platform/fmod/fmod.h"

namespace {

// The record as the original allocates it: three 32-bit fields.
constexpr int64_t kTrackRecordBytes = 12;

// The music error line and the empty entry after it.
void LogMusicError() {
    WriteLogFormat("ERROR:\t\t%s\t\tmusic error", MusicErrorText(FSOUND_GetError()));
    WriteLog("");
}

int32_t KindOf(const char* name) {
    const char* dot = std::strrchr(name, '.');
    if (!dot) return 0;
    if (strcasecmp(dot, ".mod") == 0 || strcasecmp(dot, ".s3m") == 0 ||
        strcasecmp(dot, ".xm") == 0 || strcasecmp(dot, ".it") == 0)
        return 1;
    if (strcasecmp(dot, ".mp3") == 0) return 2;
    if (strcasecmp(dot, ".wav") == 0) return 3;
    return 0;
}

}  // namespace

const char* MusicErrorText(int code) {
    switch (code) {
        case 0: return "No errors";
        case 1: return "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.";
        case 2: return "This command failed because FSOUND_Init was not called";
        case 3: return "Error initializing output device.";
        case 4: return "The output device is already in use and cannot be reused.";
        case 5: return "Playing the sound failed.";
        case 6: return "Soundcard does not support the features needed for this soundsystem (16bit stereo output)";
        case 7: return "Error setting cooperative level for hardware.";
        case 8: return "Error creating hardware sound buffer.";
        case 9: return "File not found";
        case 10: return "Unknown file format";
        case 11: return "Error loading file";
        case 12: return "Not enough memory ";
        case 13: return "The version number of this file format is not supported";
        case 14: return "Incorrect mixer selected";
        case 15: return "An invalid parameter was passed to this function";
        case 16: return "Tried to use an EAX command on a non EAX enabled channel or output.";
        case 17: return "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.";
        case 18: return "Failed to allocate a new channel";
        case 19: return "Recording not supported on this device";
        default: return "Unknown error";
    }
}

void* MusicOpenCallback(const char* name) { return OpenDataFile(name); }

void MusicCloseCallback(void* handle) { MemClose(static_cast<MemoryFile*>(handle)); }

int MusicReadCallback(void* buffer, int size, void* handle) {
    return MemRead(buffer, size, static_cast<MemoryFile*>(handle));
}

// MemSeek gives no result; the library is told 0 and reads the position back
// with the tell callback where it needs to know.
int MusicSeekCallback(void* handle, int position, signed char mode) {
    MemSeek(static_cast<MemoryFile*>(handle), position, mode);
    return 0;
}

int MusicTellCallback(void* handle) { return MemTell(static_cast<MemoryFile*>(handle)); }

MusicTrack* LoadMusic(char* name) {
    MusicTrack* track = static_cast<MusicTrack*>(std::calloc(1, sizeof(MusicTrack)));
    if (!track) return nullptr;
    CountMemory(&generalMemoryCounter, kTrackRecordBytes);
    char noName[1] = {'\0'};
    if (!name) name = noName;
    StripDataPath(name);

    FSOUND_File_SetCallbacks(MusicOpenCallback, MusicCloseCallback, MusicReadCallback,
                             MusicSeekCallback, MusicTellCallback);
    FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND);
    FSOUND_SetDriver(0);
    FSOUND_SetMixer(FSOUND_MIXER_QUALITY_AUTODETECT);
    if (FSOUND_Init(44100, 64, 0))
        WriteLog("Music:\t\t\t\tmusic init succesfull");
    else
        LogMusicError();

    size_t length = std::strlen(name);
    track->fileName = static_cast<char*>(std::calloc(length + 2, 1));
    if (track->fileName) {
        std::memcpy(track->fileName, name, length);
        CountMemory(&generalMemoryCounter, static_cast<int64_t>(length) + 2);
    }

    track->kind = KindOf(name);
    switch (track->kind) {
        case 1: {
            MemoryFile* file = OpenDataFile(name);
            // A module that is nowhere is a failed load: the library is
            // handed no data, never a read through a missing file.
            track->handle = FMUSIC_LoadSongMemory(file ? file->data : nullptr, file ? file->size : 0);
            WriteLog("Music:\t\t\t\tmusic module loaded");
            if (file) MemClose(file);
            break;
        }
        case 2:
            track->handle = FSOUND_Stream_OpenMpeg(name, FSOUND_STEREO);
            WriteLog("Music:\t\t\t\tmusic stream loaded");
            break;
        case 3:
            track->handle = FSOUND_Stream_OpenWav(name, FSOUND_2D | FSOUND_STEREO | FSOUND_LOOP_OFF);
            WriteLog("Music:\t\t\t\tmusic stream loaded");
            break;
        default:
            break;
    }

    if (track->handle)
        WriteLogFormat("Music:\t\t%s\t\tmusic load succesfull", name);
    else
        LogMusicError();
    return track;
}

void PlayMusic(MusicTrack* track) {
    if (!track) return;
    switch (track->kind) {
        case 1:
            FMUSIC_PlaySong(static_cast<FMUSIC_MODULE*>(track->handle));
            WriteLog("Music:\t\t\t\tmusic module playing");
            break;
        case 2:
        case 3:
            FSOUND_Stream_Play(FSOUND_FREE, static_cast<FSOUND_STREAM*>(track->handle));
            WriteLog("Music:\t\t\t\tmusic stream playing");
            break;
        default:
            break;
    }
}

void StopMusic(MusicTrack* track) {
    if (!track) return;
    switch (track->kind) {
        case 1:
            FMUSIC_StopSong(static_cast<FMUSIC_MODULE*>(track->handle));
            WriteLog("Music:\t\t\t\tmusic module unloaded");
            break;
        case 2:
        case 3:
            FSOUND_Stream_Stop(static_cast<FSOUND_STREAM*>(track->handle));
            WriteLog("Music:\t\t\t\tmusic stream unloaded");
            break;
        default:
            break;
    }
}
