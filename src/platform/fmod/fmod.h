// The subset of the FMOD 3 sound library's API that the engine calls, declared
// with the documented names and values and implemented on Linux by this
// folder's stand-in (the translation layer) over the back ends in
// platform/audio (decoding), platform/sdl (the sound device) and
// platform/null (silent output). Written from the library's documented
// interface; no code or header of the library is used.
#pragma once

#include <cstdint>

#define F_API
#define F_CALLBACKAPI

typedef struct FMUSIC_MODULE FMUSIC_MODULE;
typedef struct FSOUND_STREAM FSOUND_STREAM;

// The file callbacks the library reads every file through once they are set.
// A handle of 0 from the open callback means the file was not found. The seek
// mode is SEEK_SET (0), SEEK_CUR (1) or SEEK_END (2).
typedef void* (F_CALLBACKAPI* FSOUND_OPENCALLBACK)(const char* name);
typedef void (F_CALLBACKAPI* FSOUND_CLOSECALLBACK)(void* handle);
typedef int (F_CALLBACKAPI* FSOUND_READCALLBACK)(void* buffer, int size, void* handle);
typedef int (F_CALLBACKAPI* FSOUND_SEEKCALLBACK)(void* handle, int pos, signed char mode);
typedef int (F_CALLBACKAPI* FSOUND_TELLCALLBACK)(void* handle);

// Output types (FSOUND_SetOutput).
enum FSOUND_OUTPUTTYPES {
    FSOUND_OUTPUT_NOSOUND = 0,
    FSOUND_OUTPUT_WINMM = 1,
    FSOUND_OUTPUT_DSOUND = 2,
    FSOUND_OUTPUT_A3D = 3,
};

// Mixer types (FSOUND_SetMixer).
enum FSOUND_MIXERTYPES {
    FSOUND_MIXER_AUTODETECT = 0,
    FSOUND_MIXER_BLENDMODE = 1,
    FSOUND_MIXER_MMXP5 = 2,
    FSOUND_MIXER_MMXP6 = 3,
    FSOUND_MIXER_QUALITY_AUTODETECT = 4,
    FSOUND_MIXER_QUALITY_FPU = 5,
    FSOUND_MIXER_QUALITY_MMXP5 = 6,
    FSOUND_MIXER_QUALITY_MMXP6 = 7,
    FSOUND_MIXER_MAX,
};

// Error codes (FSOUND_GetError).
enum FMOD_ERRORS {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY = 1,
    FMOD_ERR_UNINITIALIZED = 2,
    FMOD_ERR_INIT = 3,
    FMOD_ERR_ALLOCATED = 4,
    FMOD_ERR_PLAY = 5,
    FMOD_ERR_OUTPUT_FORMAT = 6,
    FMOD_ERR_COOPERATIVELEVEL = 7,
    FMOD_ERR_CREATEBUFFER = 8,
    FMOD_ERR_FILE_NOTFOUND = 9,
    FMOD_ERR_FILE_FORMAT = 10,
    FMOD_ERR_FILE_BAD = 11,
    FMOD_ERR_MEMORY = 12,
    FMOD_ERR_VERSION = 13,
    FMOD_ERR_INVALID_MIXER = 14,
    FMOD_ERR_INVALID_PARAM = 15,
    FMOD_ERR_NO_EAX = 16,
    FMOD_ERR_NO_EAX2 = 17,
    FMOD_ERR_CHANNEL_ALLOC = 18,
    FMOD_ERR_RECORD = 19,
};

// Sample and stream mode flags.
#define FSOUND_LOOP_OFF 0x00000001
#define FSOUND_LOOP_NORMAL 0x00000002
#define FSOUND_LOOP_BIDI 0x00000004
#define FSOUND_8BITS 0x00000008
#define FSOUND_16BITS 0x00000010
#define FSOUND_MONO 0x00000020
#define FSOUND_STEREO 0x00000040
#define FSOUND_UNSIGNED 0x00000080
#define FSOUND_SIGNED 0x00000100
#define FSOUND_HW3D 0x00001000
#define FSOUND_2D 0x00002000

// Any free channel (FSOUND_Stream_Play).
#define FSOUND_FREE (-1)

// Set-up. The Set calls are refused with FMOD_ERR_BUSY once the library is
// initialised; a second FSOUND_Init keeps everything loaded and playing.
void F_API FSOUND_File_SetCallbacks(FSOUND_OPENCALLBACK useropen, FSOUND_CLOSECALLBACK userclose,
                                    FSOUND_READCALLBACK userread, FSOUND_SEEKCALLBACK userseek,
                                    FSOUND_TELLCALLBACK usertell);
signed char F_API FSOUND_SetOutput(int outputtype);
signed char F_API FSOUND_SetDriver(int driver);
signed char F_API FSOUND_SetMixer(int mixer);
signed char F_API FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags);
// The error of the last call that failed since the last call that succeeded.
int F_API FSOUND_GetError();

// Modules (MOD, S3M, XM, IT) from memory; null on failure.
FMUSIC_MODULE* F_API FMUSIC_LoadSongMemory(void* data, int length);
signed char F_API FMUSIC_PlaySong(FMUSIC_MODULE* mod);
signed char F_API FMUSIC_StopSong(FMUSIC_MODULE* mod);

// Streams, read through the file callbacks; null on failure.
FSOUND_STREAM* F_API FSOUND_Stream_OpenMpeg(const char* filename, unsigned int mode);
FSOUND_STREAM* F_API FSOUND_Stream_OpenWav(const char* filename, unsigned int mode);
// Starts the stream from its beginning; the channel it plays on, or -1.
int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
signed char F_API FSOUND_Stream_Stop(FSOUND_STREAM* stream);
