// The FMOD 3 calls the engine makes, translated onto the mixer, the decoders
// of platform/audio and a sound device: SDL's default device where one opens,
// the silent output otherwise. On the virtual clock, and wherever no device
// pulls the mix on its own thread, the mix is made on the main thread in step
// with the clock: through frame k of a clock at N frames per second exactly
// floor(k x 44100 / N) samples, and a hold mixes its whole duration.
#include <climits>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/backend/sound.h"
#include "platform/fmod/fmod.h"
#include "platform/fmod/mixer.h"
#include "platform/fmod/sound_system.h"
#include "platform/backend/frame_clock.h"

struct FMUSIC_MODULE {
    size_t voice;
};

struct FSOUND_STREAM {
    size_t voice;
    int channel;  // the channel it was last started on, -1 before
};

namespace velmora::platform {

namespace {

// Whether FSOUND_Init opens a sound device; the set-up says.
bool& SoundDeviceWanted() {
    static bool wanted = true;
    return wanted;
}

// The library's file access when no callbacks are set: the disk.
void* DiskOpen(const char* name) { return std::fopen(name, "rb"); }
void DiskClose(void* handle) { std::fclose(static_cast<std::FILE*>(handle)); }
int DiskRead(void* buffer, int size, void* handle) {
    if (size <= 0) return 0;
    return static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(size), static_cast<std::FILE*>(handle)));
}
int DiskSeek(void* handle, int position, signed char mode) {
    return std::fseek(static_cast<std::FILE*>(handle), position, mode);
}
int DiskTell(void* handle) { return static_cast<int>(std::ftell(static_cast<std::FILE*>(handle))); }

struct FileCallbacks {
    FSOUND_OPENCALLBACK open = DiskOpen;
    FSOUND_CLOSECALLBACK close = DiskClose;
    FSOUND_READCALLBACK read = DiskRead;
    FSOUND_SEEKCALLBACK seek = DiskSeek;
    FSOUND_TELLCALLBACK tell = DiskTell;
};

// A stream's file, read through the callbacks that were set when it opened.
// Only absolute moves are asked of the callbacks, and whether one took is
// read back with tell; the length is the position a move to the end gives.
class CallbackFile : public StreamFile {
public:
    CallbackFile(const FileCallbacks& callbacks, void* handle)
        : callbacks_(callbacks), handle_(handle) {
        int start = callbacks_.tell(handle_);
        callbacks_.seek(handle_, 0, SEEK_END);
        length_ = callbacks_.tell(handle_);
        if (length_ < 0) length_ = 0;
        callbacks_.seek(handle_, start, SEEK_SET);
    }
    ~CallbackFile() override { callbacks_.close(handle_); }

    size_t Read(void* buffer, size_t size) override {
        int asked = size > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
        int got = callbacks_.read(buffer, asked, handle_);
        return got > 0 ? static_cast<size_t>(got < asked ? got : asked) : 0;
    }
    bool Seek(int64_t position) override {
        if (position < 0 || position > INT_MAX) return false;
        callbacks_.seek(handle_, static_cast<int>(position), SEEK_SET);
        return callbacks_.tell(handle_) == position;
    }
    int64_t Tell() override { return callbacks_.tell(handle_); }
    int64_t Length() override { return length_; }

private:
    FileCallbacks callbacks_;
    void* handle_;
    int64_t length_ = 0;
};

struct SoundState {
    // Guards what the device's thread touches: the mixer, the count of
    // samples mixed, the capture writer and the observer.
    std::mutex lock;
    fmod::Mixer mixer;
    uint64_t mixed = 0;
    std::unique_ptr<MixWriter> writer;
    MixObserver observer;
    bool skipping = false;  // the clock's advance goes by unheard

    // Touched by the main thread only.
    int error = FMOD_ERR_NONE;
    bool initialised = false;
    int output = FSOUND_OUTPUT_DSOUND;
    int maxChannels = 0;
    FileCallbacks callbacks;
    std::vector<std::unique_ptr<FMUSIC_MODULE>> songs;
    std::vector<std::unique_ptr<FSOUND_STREAM>> streams;
    std::unique_ptr<SoundDevice> device;
    uint32_t realStart = 0;
    bool started = false;
    std::vector<int16_t> block;
};

SoundState& SoundLibraryState() {
    static SoundState* state = new SoundState;  // outlives every static destructor
    return *state;
}

// The output that plays the mix made in step with the clock, where a tool
// asked for one. Kept apart from the library's state: a show started afresh
// (the preview's every seek) takes the library back to its first call but
// keeps the device open.
struct HeardOutput {
    std::mutex lock;  // taken inside the library's lock, never around it
    std::unique_ptr<QueuedSoundOutput> output;
};

HeardOutput& Heard() {
    static HeardOutput* heard = new HeardOutput;  // outlives every static destructor
    return *heard;
}

// Hands the next frames of the mix to the capture and the observer; under the lock.
void MixInto(SoundState& s, int16_t* samples, size_t frames) {
    s.mixer.Mix(samples, frames);
    if (s.writer) s.writer->Write(samples, frames);
    if (s.observer) s.observer(samples, frames);
    s.mixed += frames;
}

// The mix made in step with the clock to the output that plays it, if any.
void QueueHeard(const int16_t* samples, size_t frames) {
    HeardOutput& heard = Heard();
    std::lock_guard<std::mutex> guard(heard.lock);
    if (heard.output) heard.output->Queue(samples, frames);
}

// The samples the clock has brought since the stand-in started.
uint64_t ClockTarget(const SoundState& s) {
    if (VirtualClockInUse()) return VirtualClockSamples(kMixRate);
    uint32_t elapsed = ClockMilliseconds() - s.realStart;
    return static_cast<uint64_t>(elapsed) * kMixRate / 1000u;
}

// Brings the mix up to the clock, where no device pulls it; under the lock.
void StepLocked(SoundState& s) {
    if (s.device && s.device->PullsOnItsOwn()) return;
    const uint64_t target = ClockTarget(s);
    if (s.skipping) {
        if (target > s.mixed) s.mixer.Skip(target - s.mixed);
        s.mixed = target;
        return;
    }
    constexpr size_t kBlock = 4096;
    s.block.resize(kBlock * 2);
    while (s.mixed < target) {
        // Silence that nobody listens to passes at once: a hold of days
        // with nothing playing costs nothing.
        if (!s.writer && !s.observer && !s.mixer.AnyPlaying()) {
            s.mixed = target;
            break;
        }
        size_t frames = target - s.mixed < kBlock ? static_cast<size_t>(target - s.mixed) : kBlock;
        MixInto(s, s.block.data(), frames);
        QueueHeard(s.block.data(), frames);
    }
}

void ClockMoved() {
    SoundState& s = SoundLibraryState();
    std::lock_guard<std::mutex> guard(s.lock);
    StepLocked(s);
}

// The first call of any kind starts the stepping with the clock.
SoundState& Started() {
    SoundState& s = SoundLibraryState();
    if (!s.started) {
        s.started = true;
        s.realStart = ClockMilliseconds();
        SetClockListener(ClockMoved);
    }
    return s;
}

void PullFromDevice(int16_t* samples, size_t frames) {
    SoundState& s = SoundLibraryState();
    std::lock_guard<std::mutex> guard(s.lock);
    MixInto(s, samples, frames);
}

template <typename Handle>
Handle* Find(const std::vector<std::unique_ptr<Handle>>& handles, const Handle* wanted) {
    if (!wanted) return nullptr;
    for (const auto& handle : handles)
        if (handle.get() == wanted) return handle.get();
    return nullptr;
}

// Every call that can fail starts with no error.
SoundState& Call() {
    SoundState& s = Started();
    s.error = FMOD_ERR_NONE;
    return s;
}

template <typename T>
T Fail(SoundState& s, int error, T result) {
    s.error = error;
    return result;
}

// Adds a loaded source as a stopped voice, at the current point of the mix.
size_t AddVoice(SoundState& s, std::unique_ptr<SoundSource> source, bool loop) {
    std::lock_guard<std::mutex> guard(s.lock);
    StepLocked(s);
    return s.mixer.Add(std::move(source), loop);
}

bool PlayVoice(SoundState& s, size_t voice) {
    std::lock_guard<std::mutex> guard(s.lock);
    StepLocked(s);
    return s.mixer.Play(voice);
}

void StopVoice(SoundState& s, size_t voice) {
    std::lock_guard<std::mutex> guard(s.lock);
    StepLocked(s);
    s.mixer.Stop(voice);
}

bool VoicePlaying(SoundState& s, size_t voice) {
    // A voice a skip took past its end is put there, and has stopped.
    std::lock_guard<std::mutex> guard(s.lock);
    return s.mixer.Playing(voice);
}

FSOUND_STREAM* OpenStream(const char* name, unsigned int mode, bool mpeg) {
    SoundState& s = Call();
    if (!s.initialised) return Fail(s, FMOD_ERR_UNINITIALIZED, static_cast<FSOUND_STREAM*>(nullptr));
    if (!name) return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<FSOUND_STREAM*>(nullptr));
    void* handle = s.callbacks.open(name);
    if (!handle) return Fail(s, FMOD_ERR_FILE_NOTFOUND, static_cast<FSOUND_STREAM*>(nullptr));
    auto file = std::make_unique<CallbackFile>(s.callbacks, handle);
    SourceError error;
    std::unique_ptr<SoundSource> source =
        mpeg ? OpenMpegSource(std::move(file), error) : OpenWavSource(std::move(file), error);
    // A file the decoder knows but cannot play (a WAV claiming 1 Hz) is a
    // file that would not load; one it does not know is of an unknown format.
    if (!source)
        return Fail(s, error.unplayable ? FMOD_ERR_FILE_BAD : FMOD_ERR_FILE_FORMAT,
                    static_cast<FSOUND_STREAM*>(nullptr));
    auto stream = std::make_unique<FSOUND_STREAM>();
    stream->voice = AddVoice(s, std::move(source), (mode & FSOUND_LOOP_NORMAL) != 0);
    stream->channel = -1;
    s.streams.push_back(std::move(stream));
    return s.streams.back().get();
}

}  // namespace

void UseSoundDevice(bool wanted) { SoundDeviceWanted() = wanted; }

void StartSoundOutput(const std::string& captureDirectory) {
    SoundState& s = Started();
    if (captureDirectory.empty()) return;
    std::error_code ignored;
    std::filesystem::create_directories(captureDirectory, ignored);
    std::string why;
    std::unique_ptr<MixWriter> writer = OpenMixWriter(captureDirectory + "/audio.wav", why);
    if (!writer)
        std::fprintf(stderr, "velmora: cannot write the captured sound to %s/audio.wav: %s\n",
                     captureDirectory.c_str(), why.c_str());
    std::lock_guard<std::mutex> guard(s.lock);
    StepLocked(s);  // the capture starts at the clock's start
    s.writer = std::move(writer);
}

void StopSoundOutput() {
    SoundState& s = SoundLibraryState();
    // Closed outside the lock: closing waits for a pull under way, which takes it.
    std::unique_ptr<SoundDevice> device = std::move(s.device);
    const bool devicePulled = device && device->PullsOnItsOwn();
    device.reset();
    SetClockListener(nullptr);
    std::unique_ptr<MixWriter> writer;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        // What the clock brought since the last step, where the mix kept step with it.
        if (s.started && !devicePulled) StepLocked(s);
        writer = std::move(s.writer);
        s.mixer.Clear();
        s.mixed = 0;
        s.observer = nullptr;
        s.skipping = false;
    }
    if (writer) writer->Finish();
    s.songs.clear();
    s.streams.clear();
    s.error = FMOD_ERR_NONE;
    s.initialised = false;
    s.output = FSOUND_OUTPUT_DSOUND;
    s.maxChannels = 0;
    s.callbacks = FileCallbacks{};
    s.started = false;
}

uint64_t SamplesMixed() {
    SoundState& s = SoundLibraryState();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.mixed;
}

const char* SoundOutputName() {
    SoundState& s = SoundLibraryState();
    return s.device ? s.device->Name() : nullptr;
}

void SkipMix(bool skipping) {
    SoundState& s = Started();
    std::lock_guard<std::mutex> guard(s.lock);
    StepLocked(s);  // what the clock brought before, as it was to be made
    s.skipping = skipping;
    // The voices at their places now, so that the seek pays for the moves.
    if (!skipping) s.mixer.Settle();
}

bool HearClockedMix(std::string& why) {
    HeardOutput& heard = Heard();
    std::lock_guard<std::mutex> guard(heard.lock);
    if (!heard.output) heard.output = OpenSdlQueuedOutput(why);
    return heard.output != nullptr;
}

void DropHeardMix() {
    HeardOutput& heard = Heard();
    std::lock_guard<std::mutex> guard(heard.lock);
    if (heard.output) heard.output->Drop();
}

void StopHearingClockedMix() {
    HeardOutput& heard = Heard();
    std::unique_ptr<QueuedSoundOutput> output;
    {
        std::lock_guard<std::mutex> guard(heard.lock);
        output = std::move(heard.output);
    }
}

void ObserveMix(MixObserver observer) {
    SoundState& s = Started();
    std::lock_guard<std::mutex> guard(s.lock);
    StepLocked(s);
    s.observer = std::move(observer);
}

}  // namespace velmora::platform

using namespace velmora::platform;

void F_API FSOUND_File_SetCallbacks(FSOUND_OPENCALLBACK useropen, FSOUND_CLOSECALLBACK userclose,
                                    FSOUND_READCALLBACK userread, FSOUND_SEEKCALLBACK userseek,
                                    FSOUND_TELLCALLBACK usertell) {
    SoundState& s = Started();
    // All five or none: a partial set leaves the library on the disk.
    if (useropen && userclose && userread && userseek && usertell)
        s.callbacks = FileCallbacks{useropen, userclose, userread, userseek, usertell};
    else
        s.callbacks = FileCallbacks{};
}

signed char F_API FSOUND_SetOutput(int outputtype) {
    SoundState& s = Call();
    if (s.initialised) return Fail(s, FMOD_ERR_BUSY, static_cast<signed char>(false));
    if (outputtype < -1 || outputtype > FSOUND_OUTPUT_A3D)
        return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<signed char>(false));
    s.output = outputtype;
    return true;
}

signed char F_API FSOUND_SetDriver(int driver) {
    SoundState& s = Call();
    if (s.initialised) return Fail(s, FMOD_ERR_BUSY, static_cast<signed char>(false));
    // One driver: the system's default device.
    if (driver != 0) return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<signed char>(false));
    return true;
}

signed char F_API FSOUND_SetMixer(int mixer) {
    SoundState& s = Call();
    if (s.initialised) return Fail(s, FMOD_ERR_BUSY, static_cast<signed char>(false));
    // Every mixer type mixes through the one float mixer.
    if (mixer < FSOUND_MIXER_AUTODETECT || mixer >= FSOUND_MIXER_MAX)
        return Fail(s, FMOD_ERR_INVALID_MIXER, static_cast<signed char>(false));
    return true;
}

signed char F_API FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int) {
    SoundState& s = Call();
    if (mixrate < 4000 || mixrate > 65535 || maxsoftwarechannels < 0 || maxsoftwarechannels > 1024)
        return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<signed char>(false));
    // Initialised already: everything loaded and playing stays as it is.
    if (s.initialised) return true;
    // The mix is made at 44,100 Hz whatever rate is asked for.
    std::unique_ptr<SoundDevice> device;
    // On the virtual clock the show runs faster than time: nothing to listen to.
    const bool wantDevice = !VirtualClockInUse() && s.output != FSOUND_OUTPUT_NOSOUND &&
                            SoundDeviceWanted();
    // What the clock brought so far is mixed before a device takes over.
    ClockMoved();
    if (wantDevice) {
        std::string why;
        device = OpenSdlSoundDevice(PullFromDevice, why);
        if (!device)
            std::fprintf(stderr, "velmora: no sound device (%s); the music is mixed silently\n",
                         why.c_str());
    }
    if (!device) device = OpenSilentSoundDevice();
    s.device = std::move(device);
    s.maxChannels = maxsoftwarechannels;
    s.initialised = true;
    return true;
}

int F_API FSOUND_GetError() { return SoundLibraryState().error; }

FMUSIC_MODULE* F_API FMUSIC_LoadSongMemory(void* data, int length) {
    SoundState& s = Call();
    if (!s.initialised) return Fail(s, FMOD_ERR_UNINITIALIZED, static_cast<FMUSIC_MODULE*>(nullptr));
    if (!data || length <= 0) return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<FMUSIC_MODULE*>(nullptr));
    SourceError error;
    std::unique_ptr<SoundSource> source = OpenModuleSource(data, static_cast<size_t>(length), error);
    if (!source) return Fail(s, FMOD_ERR_FILE_FORMAT, static_cast<FMUSIC_MODULE*>(nullptr));
    auto song = std::make_unique<FMUSIC_MODULE>();
    song->voice = AddVoice(s, std::move(source), false);
    s.songs.push_back(std::move(song));
    return s.songs.back().get();
}

signed char F_API FMUSIC_PlaySong(FMUSIC_MODULE* mod) {
    SoundState& s = Call();
    FMUSIC_MODULE* song = Find(s.songs, mod);
    if (!song) return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<signed char>(false));
    if (!PlayVoice(s, song->voice)) return Fail(s, FMOD_ERR_PLAY, static_cast<signed char>(false));
    return true;
}

signed char F_API FMUSIC_StopSong(FMUSIC_MODULE* mod) {
    SoundState& s = Call();
    FMUSIC_MODULE* song = Find(s.songs, mod);
    if (!song) return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<signed char>(false));
    StopVoice(s, song->voice);
    return true;
}

FSOUND_STREAM* F_API FSOUND_Stream_OpenMpeg(const char* filename, unsigned int mode) {
    return OpenStream(filename, mode, true);
}

FSOUND_STREAM* F_API FSOUND_Stream_OpenWav(const char* filename, unsigned int mode) {
    return OpenStream(filename, mode, false);
}

int F_API FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream) {
    SoundState& s = Call();
    FSOUND_STREAM* found = Find(s.streams, stream);
    if (!found || channel < FSOUND_FREE || channel >= s.maxChannels)
        return Fail(s, FMOD_ERR_INVALID_PARAM, -1);
    if (channel == FSOUND_FREE) {
        // Its own channel while no other playing stream has taken it (one
        // that ended by itself keeps its number but not the channel), else
        // the lowest that no other playing stream holds.
        std::vector<bool> held(static_cast<size_t>(s.maxChannels), false);
        for (const auto& other : s.streams)
            if (other.get() != found && other->channel >= 0 && VoicePlaying(s, other->voice))
                held[static_cast<size_t>(other->channel)] = true;
        const int own = found->channel;
        channel = own >= 0 && own < s.maxChannels && !held[static_cast<size_t>(own)] ? own : -1;
        for (int i = 0; i < s.maxChannels && channel < 0; ++i)
            if (!held[static_cast<size_t>(i)]) channel = i;
        if (channel < 0) return Fail(s, FMOD_ERR_CHANNEL_ALLOC, -1);
    } else {
        // A channel named outright: whatever played on it stops.
        for (const auto& other : s.streams)
            if (other.get() != found && other->channel == channel) {
                StopVoice(s, other->voice);
                other->channel = -1;
            }
    }
    if (!PlayVoice(s, found->voice)) return Fail(s, FMOD_ERR_PLAY, -1);
    found->channel = channel;
    return channel;
}

signed char F_API FSOUND_Stream_Stop(FSOUND_STREAM* stream) {
    SoundState& s = Call();
    FSOUND_STREAM* found = Find(s.streams, stream);
    if (!found) return Fail(s, FMOD_ERR_INVALID_PARAM, static_cast<signed char>(false));
    StopVoice(s, found->voice);
    found->channel = -1;
    return true;
}
