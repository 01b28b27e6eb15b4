// The sound library stand-in through its FMOD calls: set-up and errors as
// the library gives them, modules and streams decoded at 44,100 Hz stereo,
// the mix in step with the virtual clock, the file callbacks, the capture.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "music/module_writer.h"
#include "music/music_test_support.h"
#include "platform/fmod/fmod.h"
#include "platform/fmod/sound_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/windows.h"
#include "support/temp_files.h"

using namespace velmora::platform;
using namespace velmora::testing;

namespace {

constexpr size_t kFramesAt50 = 882;  // samples a frame at 50 frames per second

std::vector<uint8_t> FileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

class SoundLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformSettings settings;
        settings.windowSystem = WindowBackEnd::Null;
        settings.sound = SoundBackEnd::Silent;
        UsePlatformSettings(settings);
        UseVirtualClock(FrameRate{50, 1}, 0);
        StopSoundOutput();
    }
    void TearDown() override {
        StopSoundOutput();
        UseRealClock();
        ResetPlatformSettings();
    }
    void Init() { ASSERT_TRUE(FSOUND_Init(44100, 64, 0)); }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) FramePresented();
    }
    FMUSIC_MODULE* LoadSong(const std::vector<uint8_t>& bytes) {
        return FMUSIC_LoadSongMemory(const_cast<uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
    }
};

TEST_F(SoundLibraryTest, SetUpIsRefusedOnceInitialisedAndInitAgainSucceeds) {
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_NONE);
    EXPECT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    EXPECT_FALSE(FSOUND_SetMixer(99));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_MIXER);
    EXPECT_TRUE(FSOUND_SetMixer(FSOUND_MIXER_QUALITY_AUTODETECT));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_NONE);  // a call that succeeds clears the error
    EXPECT_FALSE(FSOUND_SetDriver(3));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_TRUE(FSOUND_SetDriver(0));
    EXPECT_FALSE(FSOUND_Init(0, 64, 0));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    Init();
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_NONE);
    EXPECT_STREQ(SoundOutputName(), "silent");  // the virtual clock never plays out
    EXPECT_FALSE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    EXPECT_FALSE(FSOUND_SetDriver(0));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    EXPECT_FALSE(FSOUND_SetMixer(FSOUND_MIXER_QUALITY_AUTODETECT));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    Init();
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_NONE);
}

TEST_F(SoundLibraryTest, NothingLoadsBeforeInit) {
    std::vector<uint8_t> mod = ToneMod();
    EXPECT_EQ(LoadSong(mod), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(FSOUND_Stream_OpenMpeg(MusicDataPath("house_lo.mp3").c_str(), FSOUND_STEREO), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
}

TEST_F(SoundLibraryTest, BadModulesAndBadHandlesAreRefused) {
    Init();
    EXPECT_EQ(FMUSIC_LoadSongMemory(nullptr, 0), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    std::vector<uint8_t> noise(4000);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
    EXPECT_EQ(LoadSong(noise), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    EXPECT_FALSE(FMUSIC_PlaySong(nullptr));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FMUSIC_StopSong(reinterpret_cast<FMUSIC_MODULE*>(noise.data())));
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, nullptr), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_FALSE(FSOUND_Stream_Stop(nullptr));
}

struct ToneModule {
    const char* format;
    std::vector<uint8_t> (*bytes)();
};

class ModuleToneTest : public SoundLibraryTest, public ::testing::WithParamInterface<ToneModule> {};

TEST_P(ModuleToneTest, PlaysItsToneOnBothSidesInStepWithTheClock) {
    const ToneModule& tone = GetParam();
    Init();
    std::vector<uint8_t> bytes = tone.bytes();
    FMUSIC_MODULE* song = LoadSong(bytes);
    ASSERT_NE(song, nullptr) << tone.format << " " << FSOUND_GetError();
    MixRecorder mix;
    Frames(10);
    EXPECT_EQ(mix.frames(), 10 * kFramesAt50);
    EXPECT_EQ(Rms(mix.samples(), 0, mix.frames()), 0.0);  // loaded is not playing
    mix.Clear();
    ASSERT_TRUE(FMUSIC_PlaySong(song));
    Frames(50);
    ASSERT_EQ(mix.frames(), 44100u);
    for (int channel = 0; channel < 2; ++channel) {
        double hertz = ZeroCrossingHertz(mix.samples(), channel, 2205, 44100 - 2205);
        EXPECT_NEAR(hertz, kToneHertz, kToneHertz * 0.03) << tone.format << " channel " << channel;
    }
    EXPECT_GT(Rms(mix.samples(), 0, 4410), 1000.0) << tone.format;
    EXPECT_GT(Rms(mix.samples(), 44100 - 4410, 4410), 1000.0) << tone.format;
    // Stopped, the song is silent at once and stays loaded.
    ASSERT_TRUE(FMUSIC_StopSong(song));
    mix.Clear();
    Frames(5);
    EXPECT_EQ(Rms(mix.samples(), 0, mix.frames()), 0.0);
}

INSTANTIATE_TEST_SUITE_P(EveryTracker, ModuleToneTest,
                         ::testing::Values(ToneModule{"MOD", ToneMod}, ToneModule{"XM", ToneXm},
                                           ToneModule{"S3M", ToneS3m}, ToneModule{"IT", ToneIt}),
                         [](const ::testing::TestParamInfo<ToneModule>& info) { return info.param.format; });

// A song loops as the sound library's songs do: the two-second tune played
// from 0 to 5 s sounds to the end, and each time round it goes on at its
// restart position (the octave), not at its beginning.
TEST_F(SoundLibraryTest, ASongShorterThanItsPlayGoesOnAtItsRestartPosition) {
    Init();
    std::vector<uint8_t> bytes = XmBytes(TwoSecondTune());
    FMUSIC_MODULE* song = LoadSong(bytes);
    ASSERT_NE(song, nullptr);
    MixRecorder mix;
    FMUSIC_PlaySong(song);
    Frames(250);
    FMUSIC_StopSong(song);
    Frames(25);
    ASSERT_EQ(mix.frames(), 275 * kFramesAt50);
    auto hertz = [&](double from, double to) {
        const size_t first = static_cast<size_t>(from * 44100), count = static_cast<size_t>((to - from) * 44100);
        return ZeroCrossingHertz(mix.samples(), 0, first, count);
    };
    EXPECT_NEAR(hertz(0.1, 0.9), kToneHertz, kToneHertz * 0.03);
    EXPECT_NEAR(hertz(1.1, 1.9), 2 * kToneHertz, kToneHertz * 0.06);
    EXPECT_GT(Rms(mix.samples(), 3 * 44100, 2 * 44100), 1000.0);
    for (double second : {2.0, 3.0, 4.0}) {
        EXPECT_NEAR(hertz(second + 0.1, second + 0.9), 2 * kToneHertz, kToneHertz * 0.06) << second;
        EXPECT_GT(Rms(mix.samples(), static_cast<size_t>(second * 44100) + 4410, 4410), 1000.0) << second;
    }
    EXPECT_EQ(Rms(mix.samples(), 250 * kFramesAt50, 25 * kFramesAt50), 0.0);  // stopped at 5 s
}

TEST_F(SoundLibraryTest, StopThenPlayStartsAgainFromTheBeginning) {
    Init();
    std::vector<uint8_t> bytes = ToneXm();
    FMUSIC_MODULE* song = LoadSong(bytes);
    ASSERT_NE(song, nullptr);
    MixRecorder mix;
    FMUSIC_PlaySong(song);
    Frames(25);
    std::vector<int16_t> first = mix.samples();
    FMUSIC_StopSong(song);
    Frames(3);
    mix.Clear();
    FMUSIC_PlaySong(song);
    Frames(25);
    EXPECT_EQ(mix.samples(), first);
    // Played again while playing: from the start too.
    mix.Clear();
    FMUSIC_PlaySong(song);
    Frames(25);
    EXPECT_EQ(mix.samples(), first);
}

TEST_F(SoundLibraryTest, ARepeatedInitKeepsWhatPlays) {
    Init();
    std::vector<uint8_t> bytes = ToneMod();
    FMUSIC_MODULE* song = LoadSong(bytes);
    MixRecorder mix;
    FMUSIC_PlaySong(song);
    Frames(20);
    std::vector<int16_t> reference;
    {
        // The same song loaded beside it, played alone, is what an
        // undisturbed play sounds like.
    }
    EXPECT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND) == FALSE);
    Init();
    Frames(20);
    ASSERT_EQ(mix.frames(), 40 * kFramesAt50);
    EXPECT_GT(Rms(mix.samples(), 20 * kFramesAt50, 20 * kFramesAt50), 1000.0);
    // Nothing was restarted: the mix is the one of a song played for 40 frames.
    std::vector<int16_t> played = mix.samples();
    FMUSIC_StopSong(song);
    mix.Clear();
    FMUSIC_PlaySong(song);
    Frames(40);
    EXPECT_EQ(mix.samples(), played);
}

TEST_F(SoundLibraryTest, AHoldMixesItsWholeDuration) {
    Init();
    std::vector<uint8_t> bytes = ToneMod();
    FMUSIC_MODULE* song = LoadSong(bytes);
    MixRecorder mix;
    FMUSIC_PlaySong(song);
    Frames(1);
    uint64_t before = SamplesMixed();
    Sleep(1500);
    EXPECT_EQ(SamplesMixed() - before, 66150u);
    EXPECT_GT(Rms(mix.samples(), mix.frames() - 4410, 4410), 1000.0);
    // Nothing plays and nobody listens: a hold of days passes at once.
    FMUSIC_StopSong(song);
    mix.Clear();
    ObserveMix(nullptr);
    Sleep(1000000000);
    EXPECT_EQ(SamplesMixed(), VirtualClockSamples(44100));
}

TEST_F(SoundLibraryTest, StreamsAreDecodedAndResampledToTheMixRate) {
    Init();
    for (const char* name : {"house_lo.mp3", "house_lo.wav"}) {
        bool mpeg = std::strstr(name, ".mp3") != nullptr;
        std::string path = MusicDataPath(name);
        FSOUND_STREAM* stream = mpeg ? FSOUND_Stream_OpenMpeg(path.c_str(), FSOUND_STEREO)
                                     : FSOUND_Stream_OpenWav(path.c_str(), FSOUND_2D | FSOUND_STEREO | FSOUND_LOOP_OFF);
        ASSERT_NE(stream, nullptr) << name << " " << FSOUND_GetError();
        MixRecorder mix;
        EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, stream), 0);
        Frames(50 * 8);
        // The WAV's 78,331 frames at 11,025 Hz are 313,324 at 44,100 Hz; the
        // MP3 holds 139 frames of 576 samples, 80,064 at 11,025 Hz: 320,256.
        size_t last = 0;
        for (size_t i = 0; i < mix.frames(); ++i)
            if (mix.samples()[i * 2] != 0 || mix.samples()[i * 2 + 1] != 0) last = i;
        EXPECT_NEAR(static_cast<double>(last + 1), mpeg ? 320256.0 : 313324.0, 441.0) << name;
        EXPECT_GT(Rms(mix.samples(), 44100, 44100), 500.0) << name;
        // Mono on both sides.
        size_t differing = 0;
        for (size_t i = 0; i < mix.frames(); ++i) differing += mix.samples()[i * 2] != mix.samples()[i * 2 + 1];
        EXPECT_EQ(differing, 0u) << name;
        FSOUND_Stream_Stop(stream);
    }
}

TEST_F(SoundLibraryTest, TheResamplerIsNoSampleAndHold) {
    // A crude resampler repeats each 11,025 Hz sample four times; a real one
    // makes a new value at nearly every 44,100 Hz sample.
    Init();
    FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(MusicDataPath("house_lo.wav").c_str(), 0x2041);
    ASSERT_NE(stream, nullptr);
    MixRecorder mix;
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    Frames(100);
    size_t repeats = 0, total = 0;
    for (size_t i = 44100; i < 88200; ++i, ++total) repeats += mix.samples()[i * 2] == mix.samples()[(i - 1) * 2];
    EXPECT_LT(repeats, total / 5);
}

TEST_F(SoundLibraryTest, MissingAndWrongStreamsAreRefused) {
    Init();
    EXPECT_EQ(FSOUND_Stream_OpenMpeg("/nonexistent/none.mp3", FSOUND_STEREO), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
    EXPECT_EQ(FSOUND_Stream_OpenWav(MusicDataPath("house_lo.mp3").c_str(), 0x2041), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
    EXPECT_EQ(FSOUND_Stream_OpenMpeg(nullptr, FSOUND_STEREO), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
}

TEST_F(SoundLibraryTest, EverySongAndStreamPlayingIsSummed) {
    Init();
    std::vector<uint8_t> bytes = ToneMod();
    FMUSIC_MODULE* song = LoadSong(bytes);
    FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(MusicDataPath("house_lo.wav").c_str(), 0x2041);
    ASSERT_NE(stream, nullptr);
    MixRecorder mix;
    FMUSIC_PlaySong(song);
    Frames(50);
    std::vector<int16_t> songAlone = mix.samples();
    FMUSIC_StopSong(song);
    mix.Clear();
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    Frames(50);
    std::vector<int16_t> streamAlone = mix.samples();
    mix.Clear();
    FMUSIC_PlaySong(song);
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    Frames(50);
    ASSERT_EQ(mix.samples().size(), songAlone.size());
    size_t off = 0;
    for (size_t i = 0; i < songAlone.size(); ++i) {
        int sum = songAlone[i] + streamAlone[i];
        // Clipped, in the sum or in either alone.
        if (sum > 32766 || sum < -32767) continue;
        if (std::abs(songAlone[i]) >= 32767 || std::abs(streamAlone[i]) >= 32767) continue;
        off += std::abs(mix.samples()[i] - sum) > 1;  // each alone was rounded once
    }
    EXPECT_EQ(off, 0u);
}

TEST_F(SoundLibraryTest, StreamsTakeFreeChannels) {
    Init();
    std::string path = MusicDataPath("house_lo.wav");
    FSOUND_STREAM* a = FSOUND_Stream_OpenWav(path.c_str(), 0x2041);
    FSOUND_STREAM* b = FSOUND_Stream_OpenWav(path.c_str(), 0x2041);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, a), 0);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, b), 1);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, a), 0);  // its own channel again
    EXPECT_EQ(FSOUND_Stream_Play(64, a), -1);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    FSOUND_Stream_Stop(a);
    EXPECT_EQ(FSOUND_Stream_Play(5, a), 5);
}

// Two streams of their own tones at the mix rate, written as WAV files.
class StreamChannelTest : public SoundLibraryTest {
protected:
    FSOUND_STREAM* Open(const std::string& name, size_t frames, double hertz) {
        std::string path = directory + "/" + name;
        EXPECT_TRUE(WriteBytes(path, ToneWav(44100, frames, hertz)));
        return FSOUND_Stream_OpenWav(path.c_str(), 0x2041);
    }
    // The first frames count of a stream played alone from its start.
    std::vector<int16_t> Alone(FSOUND_STREAM* stream, int frames) {
        MixRecorder mix;
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        Frames(frames);
        FSOUND_Stream_Stop(stream);
        return mix.samples();
    }
    // Both streams sound, each from its start: the mix is their sum.
    void ExpectBothSound(const std::vector<int16_t>& mix, const std::vector<int16_t>& a,
                         const std::vector<int16_t>& b) {
        ASSERT_EQ(mix.size(), a.size());
        ASSERT_EQ(mix.size(), b.size());
        size_t off = 0;
        for (size_t i = 0; i < mix.size(); ++i) off += std::abs(mix[i] - std::clamp(a[i] + b[i], -32768, 32767)) > 1;
        EXPECT_EQ(off, 0u);
    }
    std::string directory = MakeTempDirectory();
};

TEST_F(StreamChannelTest, AStoppedStreamGivesUpItsChannel) {
    Init();
    FSOUND_STREAM* a = Open("a.wav", 44100, 440.0);
    FSOUND_STREAM* b = Open("b.wav", 44100, 660.0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    const std::vector<int16_t> aloneA = Alone(a, 10), aloneB = Alone(b, 10);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, a), 0);
    FSOUND_Stream_Stop(a);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, b), 0);  // a's channel is free again
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, a), 1);  // and b holds it now
    MixRecorder mix;
    Frames(10);
    ExpectBothSound(mix.samples(), aloneA, aloneB);
}

TEST_F(StreamChannelTest, AStreamThatEndedGivesUpItsChannel) {
    Init();
    FSOUND_STREAM* a = Open("short.wav", 4410, 440.0);  // a tenth of a second
    FSOUND_STREAM* b = Open("b.wav", 44100, 660.0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    const std::vector<int16_t> aloneA = Alone(a, 4), aloneB = Alone(b, 4);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, a), 0);
    Frames(10);  // a has ended by itself
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, b), 0);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, a), 1);
    MixRecorder mix;
    Frames(4);
    ExpectBothSound(mix.samples(), aloneA, aloneB);
}

// Stream rates the mix cannot be made from are refused as files that do not
// load; a 1 Hz header would otherwise grow every decoded block 44,100-fold.
TEST_F(SoundLibraryTest, WavRatesTheMixCannotBeMadeFromAreRefused) {
    Init();
    const std::string directory = MakeTempDirectory();
    for (uint32_t rate : {1u, 2u, 999u, 384001u, 1000000u, 0x7FFFFFFFu}) {
        std::string path = directory + "/rate.wav";
        ASSERT_TRUE(WriteBytes(path, ToneWav(rate, 88200, 100.0)));
        EXPECT_EQ(FSOUND_Stream_OpenWav(path.c_str(), 0x2041), nullptr) << rate;
        EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_BAD) << rate;
    }
    // A header with no rate at all is no WAV libsndfile reads.
    std::string path = directory + "/none.wav";
    ASSERT_TRUE(WriteBytes(path, ToneWav(0, 100, 100.0)));
    EXPECT_EQ(FSOUND_Stream_OpenWav(path.c_str(), 0x2041), nullptr);
}

TEST_F(SoundLibraryTest, WavRatesAtTheEdgesPlayAtTheirPitchAndLength) {
    Init();
    const std::string directory = MakeTempDirectory();
    struct Edge {
        uint32_t rate;
        double hertz;
    };
    for (Edge edge : {Edge{1000, 50.0}, Edge{384000, 1000.0}}) {
        std::string path = directory + "/edge.wav";
        ASSERT_TRUE(WriteBytes(path, ToneWav(edge.rate, edge.rate / 2, edge.hertz)));  // half a second
        FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(path.c_str(), 0x2041);
        ASSERT_NE(stream, nullptr) << edge.rate;
        MixRecorder mix;
        FSOUND_Stream_Play(FSOUND_FREE, stream);
        Frames(50);
        size_t last = 0;
        for (size_t i = 0; i < mix.frames(); ++i)
            if (std::abs(mix.samples()[i * 2]) > 16) last = i;
        EXPECT_NEAR(static_cast<double>(last + 1), 22050.0, 441.0) << edge.rate;
        EXPECT_NEAR(ZeroCrossingHertz(mix.samples(), 0, 2205, 17640), edge.hertz, edge.hertz * 0.02) << edge.rate;
        EXPECT_GT(Rms(mix.samples(), 2205, 17640), 8000.0) << edge.rate;
        FSOUND_Stream_Stop(stream);
    }
}

// WAVs with the extensible format header (what editors write for more than
// two channels or more than 16 bits) are WAV streams too.
TEST_F(SoundLibraryTest, AWavWithTheExtensibleFormatHeaderPlays) {
    Init();
    const std::string path = MakeTempDirectory() + "/extensible.wav";
    ASSERT_TRUE(WriteBytes(path, ToneWav(44100, 22050, 441.0, true)));
    FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(path.c_str(), 0x2041);
    ASSERT_NE(stream, nullptr) << FSOUND_GetError();
    MixRecorder mix;
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    Frames(25);
    EXPECT_NEAR(ZeroCrossingHertz(mix.samples(), 0, 0, 22050), 441.0, 4.0);
    EXPECT_NEAR(ZeroCrossingHertz(mix.samples(), 1, 0, 22050), 441.0, 4.0);
    EXPECT_GT(Rms(mix.samples(), 0, 22050), 8000.0);
}

// A list chunk whose entry claims a length that wraps a 32-bit count round
// made libsndfile read the same entry for ever (a fuzzing find); lists are
// metadata, and the stream plays without them.
TEST_F(SoundLibraryTest, AWavWithAHostileListChunkPlays) {
    std::vector<uint8_t> bytes = ToneWav(44100, 22050, 441.0);
    std::vector<uint8_t> list = {'L', 'I', 'S', 'T', 26, 0, 0, 0, 'I', 'N', 'F', 0xFF, 0xF7, 0xFF, 0xFF, 0xFF};
    list.resize(8 + 26, 0x7E);
    bytes.insert(bytes.begin() + 36, list.begin(), list.end());  // between the format and the data
    const std::string path = MakeTempDirectory() + "/hostile_list.wav";
    ASSERT_TRUE(WriteBytes(path, bytes));
    Init();
    FSOUND_STREAM* stream = FSOUND_Stream_OpenWav(path.c_str(), 0x2041);
    ASSERT_NE(stream, nullptr) << FSOUND_GetError();
    MixRecorder mix;
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    Frames(25);
    EXPECT_NEAR(ZeroCrossingHertz(mix.samples(), 0, 0, 22050), 441.0, 4.0);
    EXPECT_GT(Rms(mix.samples(), 0, 22050), 8000.0);
}

// libmpg123 knows nine rates, 8,000 to 48,000 Hz, and no frame header can
// claim another: the reserved rate index makes no frame at all.
TEST_F(SoundLibraryTest, AnMp3WhoseFramesClaimTheReservedRateIsRefused) {
    std::vector<uint8_t> bytes = FileBytes(MusicDataPath("house_lo.mp3"));
    size_t patched = 0;
    for (size_t i = 0; i + 2 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] & 0xE0) == 0xE0 && (bytes[i + 2] & 0x0C) != 0x0C) {
            bytes[i + 2] |= 0x0C;
            ++patched;
        }
    ASSERT_GT(patched, 100u);
    const std::string path = MakeTempDirectory() + "/reserved.mp3";
    ASSERT_TRUE(WriteBytes(path, bytes));
    Init();
    EXPECT_EQ(FSOUND_Stream_OpenMpeg(path.c_str(), FSOUND_STEREO), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
}

// Memory files of our own behind the callbacks, counting what is asked.
struct MemoryStream {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};
int opens = 0, closes = 0, reads = 0;
std::string openedName;
std::vector<uint8_t> callbackBytes;

void* TestOpen(const char* name) {
    ++opens;
    openedName = name;
    if (std::strcmp(name, "in memory.mp3") != 0) return nullptr;
    return new MemoryStream{callbackBytes, 0};
}
void TestClose(void* handle) {
    ++closes;
    delete static_cast<MemoryStream*>(handle);
}
int TestRead(void* buffer, int size, void* handle) {
    ++reads;
    auto* stream = static_cast<MemoryStream*>(handle);
    size_t count = std::min(static_cast<size_t>(size), stream->bytes.size() - stream->position);
    std::memcpy(buffer, stream->bytes.data() + stream->position, count);
    stream->position += count;
    return static_cast<int>(count);
}
int TestSeek(void* handle, int position, signed char mode) {
    auto* stream = static_cast<MemoryStream*>(handle);
    long target = mode == SEEK_SET ? position : mode == SEEK_CUR ? static_cast<long>(stream->position) + position
                                                                  : static_cast<long>(stream->bytes.size()) + position;
    if (target < 0 || target > static_cast<long>(stream->bytes.size())) return -1;
    stream->position = static_cast<size_t>(target);
    return 0;
}
int TestTell(void* handle) { return static_cast<int>(static_cast<MemoryStream*>(handle)->position); }

TEST_F(SoundLibraryTest, StreamsAreReadThroughTheFileCallbacks) {
    callbackBytes = FileBytes(MusicDataPath("house_lo.mp3"));
    opens = closes = reads = 0;
    FSOUND_File_SetCallbacks(TestOpen, TestClose, TestRead, TestSeek, TestTell);
    Init();
    EXPECT_EQ(FSOUND_Stream_OpenMpeg("nowhere.mp3", FSOUND_STEREO), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_NOTFOUND);
    EXPECT_EQ(openedName, "nowhere.mp3");
    FSOUND_STREAM* stream = FSOUND_Stream_OpenMpeg("in memory.mp3", FSOUND_STEREO);
    ASSERT_NE(stream, nullptr);
    MixRecorder mix;
    FSOUND_Stream_Play(FSOUND_FREE, stream);
    Frames(100);
    EXPECT_GT(Rms(mix.samples(), 44100, 44100), 500.0);
    EXPECT_EQ(opens, 2);
    EXPECT_GT(reads, 1);
    EXPECT_EQ(closes, 0);  // a stream keeps its file open while loaded
    StopSoundOutput();
    EXPECT_EQ(closes, 1);
}

TEST_F(SoundLibraryTest, TheCaptureHoldsEverySampleMixed) {
    std::string directory = MakeTempDirectory() + "/capture";
    StartSoundOutput(directory);
    Frames(7);
    Init();
    std::vector<uint8_t> bytes = ToneMod();
    FMUSIC_MODULE* song = LoadSong(bytes);
    FMUSIC_PlaySong(song);
    MixRecorder mix;
    Frames(13);
    Sleep(10);
    ASSERT_EQ(SamplesMixed(), 20 * kFramesAt50 + 441);
    StopSoundOutput();
    std::vector<int16_t> samples;
    int rate = 0, channels = 0;
    ASSERT_TRUE(ReadWav(directory + "/audio.wav", samples, rate, channels));
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    ASSERT_EQ(samples.size(), (20 * kFramesAt50 + 441) * 2);
    EXPECT_EQ(Rms(samples, 0, 7 * kFramesAt50), 0.0);  // before the song played
    EXPECT_EQ(std::vector<int16_t>(samples.begin() + 7 * kFramesAt50 * 2, samples.end()), mix.samples());
}

// On the real clock with a device, the mix is made on the device's own thread
// (SDL's dummy driver stands in for a sound card here).
TEST_F(SoundLibraryTest, ADeviceMixesOnItsOwnThread) {
    UseRealClock();
    PlatformSettings settings = CurrentPlatformSettings();
    settings.sound = SoundBackEnd::Sdl;
    UsePlatformSettings(settings);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Init();
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_STREQ(SoundOutputName(), "SDL");
    std::vector<uint8_t> bytes = ToneXm();
    FMUSIC_MODULE* song = LoadSong(bytes);
    ASSERT_NE(song, nullptr);
    std::vector<int16_t> samples;
    std::thread::id mixer;
    ObserveMix([&](const int16_t* block, size_t frames) {
        mixer = std::this_thread::get_id();
        samples.insert(samples.end(), block, block + frames * 2);
    });
    FMUSIC_PlaySong(song);
    // Nothing here moves the mix on: the device pulls it as it plays.
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    StopSoundOutput();  // closes the device: no pull after this
    EXPECT_NE(mixer, std::this_thread::get_id());
    ASSERT_GT(samples.size(), 2u * 4410);
    EXPECT_GT(Rms(samples, samples.size() / 2 - 4410, 4410), 1000.0);
}

}  // namespace

// A seek's replay: the clock moves on with the mix skipped, and from where
// the skip ends each song and stream sounds as a play through sounds there.
class SkippedMixTest : public SoundLibraryTest {
protected:
    // The frames [from, from + count) of the mix with start(), which starts
    // the music, called at frame 0; skipped up to from, or mixed through.
    std::vector<int16_t> MixFrom(const std::function<void()>& start, int from, int count, bool skip) {
        StopSoundOutput();
        UseVirtualClock(FrameRate{50, 1}, 0);
        Init();
        start();
        if (skip) SkipMix(true);
        std::unique_ptr<MixRecorder> early = skip ? nullptr : std::make_unique<MixRecorder>();
        Frames(from);
        early.reset();
        if (skip) SkipMix(false);
        MixRecorder mix;
        Frames(count);
        return mix.samples();
    }
};

TEST_F(SkippedMixTest, AStreamAtTheMixRateSoundsFromItsExactPlace) {
    const std::string path = MakeTempDirectory() + "/tone.wav";
    ASSERT_TRUE(WriteBytes(path, ToneWav(44100, 44100 * 3, 441.7)));
    auto start = [&] { FSOUND_Stream_Play(FSOUND_FREE, FSOUND_Stream_OpenWav(path.c_str(), 0x2041)); };
    const std::vector<int16_t> through = MixFrom(start, 37, 20, false);
    const std::vector<int16_t> skipped = MixFrom(start, 37, 20, true);
    ASSERT_EQ(skipped.size(), 20 * kFramesAt50 * 2);  // nothing of the skipped time is observed
    EXPECT_EQ(skipped, through);
    EXPECT_LT(Alike(skipped, MixFrom(start, 0, 20, false)), 0.9);  // not from its beginning
}

TEST_F(SkippedMixTest, ResampledStreamsAndSongsSoundFromTheirPlace) {
    const std::vector<uint8_t> song = XmBytes(TwoSecondTune());
    const std::string mp3 = MusicDataPath("house_lo.mp3"), wav = MusicDataPath("house_lo.wav");
    struct Music {
        const char* name;
        std::function<void()> start;
    };
    const std::vector<Music> music = {
        {"mp3", [&] { FSOUND_Stream_Play(FSOUND_FREE, FSOUND_Stream_OpenMpeg(mp3.c_str(), FSOUND_STEREO)); }},
        {"wav", [&] { FSOUND_Stream_Play(FSOUND_FREE, FSOUND_Stream_OpenWav(wav.c_str(), 0x2041)); }},
        {"song", [&] { FMUSIC_PlaySong(LoadSong(song)); }},
    };
    for (const Music& piece : music) {
        // 1.3 s in, half a second heard: the skipped mix is the same sound.
        const std::vector<int16_t> through = MixFrom(piece.start, 65, 25, false);
        const std::vector<int16_t> skipped = MixFrom(piece.start, 65, 25, true);
        EXPECT_GT(Rms(through, 0, through.size() / 2), 500.0) << piece.name;
        EXPECT_GT(Alike(skipped, through), 0.95) << piece.name;
        EXPECT_LT(Alike(skipped, MixFrom(piece.start, 0, 25, false)), 0.5) << piece.name;
    }
}

TEST_F(SkippedMixTest, AStreamSkippedPastItsEndHasEndedAndASongGoesOn) {
    const std::string wav = MusicDataPath("house_lo.wav");  // 7.1 s
    FSOUND_STREAM* stream = nullptr;
    auto start = [&] {
        stream = FSOUND_Stream_OpenWav(wav.c_str(), 0x2041);
        FSOUND_Stream_Play(FSOUND_FREE, stream);
    };
    std::vector<int16_t> after = MixFrom(start, 50 * 9, 10, true);
    EXPECT_EQ(Rms(after, 0, after.size() / 2), 0.0);
    // Its channel is free again, as for a stream that ended by itself.
    FSOUND_STREAM* other = FSOUND_Stream_OpenWav(wav.c_str(), 0x2041);
    EXPECT_EQ(FSOUND_Stream_Play(FSOUND_FREE, other), 0);
    const std::vector<uint8_t> song = XmBytes(TwoSecondTune());
    after = MixFrom([&] { FMUSIC_PlaySong(LoadSong(song)); }, 50 * 7, 10, true);
    EXPECT_GT(Rms(after, 0, after.size() / 2), 500.0);
}

// The output that plays the mix made in step with the paced clock, on SDL's
// disk driver (which writes what a device would play to a file): after the
// silence it starts with, the device gets exactly the mix, block for block.
TEST_F(SoundLibraryTest, TheHeardOutputPlaysTheClockedMix) {
    const std::string directory = MakeTempDirectory();
    const std::string played = directory + "/played.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", played.c_str(), 1);
    std::string why;
    const bool heard = HearClockedMix(why);
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    ASSERT_TRUE(heard) << why;
    ASSERT_TRUE(WriteBytes(directory + "/tone.wav", ToneWav(44100, 44100, 441.0)));
    Init();
    MixRecorder mix;
    FSOUND_Stream_Play(FSOUND_FREE, FSOUND_Stream_OpenWav((directory + "/tone.wav").c_str(), 0x2041));
    Frames(10);
    ASSERT_EQ(mix.frames(), 10 * kFramesAt50);
    // The device plays in real time: wait until it has had all of it.
    const size_t wanted = (mix.frames() + 3072 + 4096) * 4;
    for (int i = 0; i < 500 && FileBytes(played).size() < wanted; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    StopHearingClockedMix();
    const std::vector<uint8_t> bytes = FileBytes(played);
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    // Where the mix begins in what was played: all of it follows unbroken.
    const auto at = std::search(samples.begin(), samples.end(), mix.samples().begin(), mix.samples().end());
    ASSERT_NE(at, samples.end()) << "the mix was not played whole";
    EXPECT_EQ(Rms(std::vector<int16_t>(samples.begin(), at), 0, static_cast<size_t>(at - samples.begin()) / 2), 0.0);
}
