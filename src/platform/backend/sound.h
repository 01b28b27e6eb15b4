// The narrow interfaces between the sound library stand-in (platform/fmod)
// and its back ends: decoders that render music at the mix rate
// (platform/audio), sound devices (platform/sdl, platform/null) and the
// capture of the mix (platform/capture). The stand-in speaks FMOD to the
// engine; a back end only decodes, plays out or writes samples.
#pragma once

#include <cstdio>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace velmora::platform {

// Everything is mixed at this rate, in stereo.
constexpr uint32_t kMixRate = 44100;

// A piece of music rendered at kMixRate, two interleaved float channels.
class SoundSource {
public:
    virtual ~SoundSource() = default;
    // Writes up to frames stereo frames into out; returns how many. Fewer than
    // asked only at the end of the music (0 once it has ended).
    virtual size_t Render(float* out, size_t frames) = 0;
    // Back to the very beginning, as if just opened; false when it cannot be.
    virtual bool Restart() = 0;
    // To frame frames after the beginning, as if that many had been rendered
    // since a Restart, without rendering them: for a seek in the show. The
    // position reached: frame, or the music's length when it is shorter
    // (Render then gives nothing), or 0 when it cannot move at all.
    virtual uint64_t Seek(uint64_t frame) = 0;
};

// A file read through the sound library's file callbacks. Positions are
// absolute byte offsets.
class StreamFile {
public:
    virtual ~StreamFile() = default;
    // Reads up to size bytes; returns how many (0 at the end or on failure).
    virtual size_t Read(void* buffer, size_t size) = 0;
    // Moves to position; false when the file refused the move.
    virtual bool Seek(int64_t position) = 0;
    virtual int64_t Tell() = 0;
    virtual int64_t Length() = 0;

    // A move as fseek counts it (whence SEEK_SET, SEEK_CUR or SEEK_END),
    // kept within the file: the new position, or -1 when refused. The
    // decoders' seek procedures share it.
    int64_t SeekFrom(int64_t offset, int whence) {
        int64_t base = 0;
        if (whence == SEEK_CUR)
            base = Tell();
        else if (whence == SEEK_END)
            base = Length();
        else if (whence != SEEK_SET)
            return -1;
        int64_t target = base + offset;
        if (target < 0 || target > Length() || !Seek(target)) return -1;
        return target;
    }
};

// Why a decoder gave no source.
struct SourceError {
    // The file is of the decoder's kind but holds what cannot be played,
    // such as a sample rate the mix cannot be resampled from; false when it
    // is not of that kind at all.
    bool unplayable = false;
    std::string why;
};

// A tracker module (MOD, S3M, XM, IT, ...) from memory, through libopenmpt.
// The data is copied; null with the reason when it is not a module. The
// module plays on for ever: at its end it goes on at its restart position.
std::unique_ptr<SoundSource> OpenModuleSource(const void* data, size_t size, SourceError& error);
// An MPEG audio stream through libmpg123, read from file as it plays.
std::unique_ptr<SoundSource> OpenMpegSource(std::unique_ptr<StreamFile> file, SourceError& error);
// A WAV stream through libsndfile, read from file as it plays.
std::unique_ptr<SoundSource> OpenWavSource(std::unique_ptr<StreamFile> file, SourceError& error);

// Called by a sound device on its own thread for the next frames of the mix:
// fill samples with frames interleaved stereo 16-bit frames at kMixRate.
using PullMix = std::function<void(int16_t* samples, size_t frames)>;

// An open sound device; closing it (destruction) stops the pulls.
class SoundDevice {
public:
    virtual ~SoundDevice() = default;
    virtual const char* Name() const = 0;
    // True when the device pulls the mix on its own thread; false for the
    // silent output, where the stand-in mixes in step with the clock.
    virtual bool PullsOnItsOwn() const = 0;
};

// A sound device that plays what it is handed, for a clock that runs in
// step with real time without being it (the preview paces the virtual clock):
// the stand-in mixes in step with the clock and queues each block here.
class QueuedSoundOutput {
public:
    virtual ~QueuedSoundOutput() = default;
    // Plays frames interleaved stereo 16-bit frames at kMixRate after what
    // is queued. After the queue ran dry a little silence goes first, so that
    // the blocks that follow, one per frame of the picture, play unbroken.
    virtual void Queue(const int16_t* samples, size_t frames) = 0;
    // Drops what is queued and not yet heard: the sound stops at once.
    virtual void Drop() = 0;
};

// A queued output on the system's default sound device through SDL; null
// with a reason when there is none.
std::unique_ptr<QueuedSoundOutput> OpenSdlQueuedOutput(std::string& why);

// The system's default sound device through SDL; null with a reason when
// there is none.
std::unique_ptr<SoundDevice> OpenSdlSoundDevice(PullMix pull, std::string& why);
// The silent output: plays nothing and pulls nothing.
std::unique_ptr<SoundDevice> OpenSilentSoundDevice();

// Writes the mix as a 16-bit stereo WAV file at kMixRate.
class MixWriter {
public:
    virtual ~MixWriter() = default;
    virtual void Write(const int16_t* samples, size_t frames) = 0;
    // Completes the file; nothing is written after.
    virtual void Finish() = 0;
};

// A writer for path, through libsndfile; null with a reason when the file
// cannot be made. The file is kept valid after every write.
std::unique_ptr<MixWriter> OpenMixWriter(const std::string& path, std::string& why);

}  // namespace velmora::platform
