// The music player over the sound library stand-in: every log line against
// the texts the show's log is read by, the choice by extension, the local
// path, the memory counters, the file callbacks over the memory file.
#include "music/music_player.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "data/data_archive.h"
#include "diag/log.h"
#include "diag/memory_counters.h"
#include "music/module_writer.h"
#include "music/music_test_support.h"
#include "platform/fmod/fmod.h"
#include "platform/backend/frame_clock.h"
#include "qxpack/archive_writer.h"
#include "support/engine_fixture.h"

using namespace velmora::testing;

namespace {

// The log's texts, typed out, not recorded from a run.
const std::string kInit = "Music:\t\t\t\tmusic init succesfull";
const std::string kModuleLoaded = "Music:\t\t\t\tmusic module loaded";
const std::string kStreamLoaded = "Music:\t\t\t\tmusic stream loaded";
const std::string kModulePlaying = "Music:\t\t\t\tmusic module playing";
const std::string kStreamPlaying = "Music:\t\t\t\tmusic stream playing";
const std::string kModuleUnloaded = "Music:\t\t\t\tmusic module unloaded";
const std::string kStreamUnloaded = "Music:\t\t\t\tmusic stream unloaded";
std::string LoadLine(const std::string& name) { return "Music:\t\t" + name + "\t\tmusic load succesfull"; }
std::string ErrorLine(const std::string& text) { return "ERROR:\t\t" + text + "\t\tmusic error"; }
std::string NotInArchive(const std::string& name) { return "ERROR:\t\t" + name + "\tfile not found in datafile"; }

class MusicPlayerTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        directory = MakeTempDirectory() + "/";
        std::snprintf(exeDirectory, sizeof exeDirectory, "%s", directory.c_str());
        logEnabled = 1;
        char here[4096];
        previousDirectory = getcwd(here, sizeof here) ? here : "/";
        ASSERT_EQ(chdir(directory.c_str()), 0);
        // The show's archive: a module of each tracker, both streams, and
        // a file of each kind the player does not know.
        ASSERT_TRUE(WriteBytes(directory + "tone.xm", ToneXm()));
        ASSERT_TRUE(WriteBytes(directory + "tone.mod", ToneMod()));
        ASSERT_TRUE(WriteBytes(directory + "tone.s3m", ToneS3m()));
        ASSERT_TRUE(WriteBytes(directory + "tone.it", ToneIt()));
        ASSERT_TRUE(WriteBytes(directory + "broken.it", std::vector<uint8_t>(300, 0x41)));
        ASSERT_TRUE(WriteBytes(directory + "one_hertz.wav", ToneWav(1, 2, 0.25)));
        ASSERT_TRUE(WriteBytes(directory + "tune.mid", ToneMod()));
        ASSERT_TRUE(WriteBytes(directory + "plain", ToneMod()));
        std::vector<std::string> files = {directory + "tone.xm", directory + "tone.mod", directory + "tone.s3m",
                                          directory + "tone.it", directory + "broken.it", directory + "one_hertz.wav",
                                          directory + "tune.mid", directory + "plain",
                                          MusicDataPath("house_lo.mp3"), MusicDataPath("house_lo.wav")};
        std::string error;
        ASSERT_TRUE(velmora::tools::CreateArchive(directory + "MORVAST.QXD", files, error)) << error;
        for (const char* loose : {"tone.xm", "tone.mod", "tone.s3m", "tone.it", "broken.it", "one_hertz.wav",
                                  "tune.mid", "plain"})
            std::remove((directory + loose).c_str());
        LoadDataArchive("MORVAST.QXD");
        ClearLog();
    }
    void TearDown() override {
        for (MusicTrack* track : loaded) {
            std::free(track->fileName);
            std::free(track);
        }
        if (chdir(previousDirectory.c_str()) != 0) ADD_FAILURE();
        EngineTest::TearDown();
    }
    MusicTrack* Load(const std::string& text) {
        std::vector<char> name(text.begin(), text.end());
        name.push_back('\0');
        MusicTrack* track = LoadMusic(name.data());
        EXPECT_NE(track, nullptr);
        if (track) loaded.push_back(track);
        cutName = name.data();
        return track;
    }
    std::vector<std::string> Log() { return ReadLogLines(directory + "Log.TXT"); }
    void ClearLog() { std::ofstream(directory + "Log.TXT", std::ios::binary | std::ios::trunc); }
    void Frames(int count) {
        for (int i = 0; i < count; ++i) velmora::platform::FramePresented();
    }

    std::string directory;
    std::string previousDirectory;
    std::string cutName;
    std::vector<MusicTrack*> loaded;
};

TEST_F(MusicPlayerTest, AnXmNameLoadsAModule) {
    MusicTrack* track = Load("TONE.XM");
    EXPECT_EQ(track->kind, 1);
    EXPECT_NE(track->handle, nullptr);
    EXPECT_STREQ(track->fileName, "TONE.XM");
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, kModuleLoaded, LoadLine("TONE.XM")}));
    // The record as 12 bytes, the name at its length plus 2.
    EXPECT_EQ(generalMemoryCounter, 12 + 7 + 2);
}

TEST_F(MusicPlayerTest, AnMp3NameOpensAnMpegStreamFromTheArchive) {
    MusicTrack* track = Load("House_Lo.Mp3");
    EXPECT_EQ(track->kind, 2);
    EXPECT_NE(track->handle, nullptr);
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, kStreamLoaded, LoadLine("House_Lo.Mp3")}));
}

TEST_F(MusicPlayerTest, AWavNameOpensAWavStream) {
    MusicTrack* track = Load("house_lo.wav");
    EXPECT_EQ(track->kind, 3);
    EXPECT_NE(track->handle, nullptr);
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, kStreamLoaded, LoadLine("house_lo.wav")}));
}

TEST_F(MusicPlayerTest, S3mAndItNamesLoadModulesThatPlay) {
    for (const char* name : {"tone.s3m", "TONE.IT"}) {
        ClearLog();
        MusicTrack* track = Load(name);
        EXPECT_EQ(track->kind, 1) << name;
        ASSERT_NE(track->handle, nullptr) << name;
        EXPECT_EQ(Log(), (std::vector<std::string>{kInit, kModuleLoaded, LoadLine(name)})) << name;
        MixRecorder mix;
        PlayMusic(track);
        Frames(25);
        StopMusic(track);
        EXPECT_GT(Rms(mix.samples(), 0, mix.frames()), 1000.0) << name;
        EXPECT_NEAR(ZeroCrossingHertz(mix.samples(), 0, 2205, mix.frames() - 2205), kToneHertz, kToneHertz * 0.03)
            << name;
    }
}

// A WAV whose header claims 1 Hz does not load: the error line names the
// file as one that would not load, and no load line follows.
TEST_F(MusicPlayerTest, AWavAtOneHertzIsAFailedLoad) {
    MusicTrack* track = Load("one_hertz.wav");
    EXPECT_EQ(track->kind, 3);
    EXPECT_EQ(track->handle, nullptr);
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, kStreamLoaded, ErrorLine("Error loading file"), ""}));
}

TEST_F(MusicPlayerTest, AMidNameOrNoExtensionLoadsNothing) {
    for (const char* name : {"tune.mid", "plain", "dotted.name.midi"}) {
        ClearLog();
        MusicTrack* track = Load(name);
        EXPECT_EQ(track->kind, 0) << name;
        EXPECT_EQ(track->handle, nullptr) << name;
        EXPECT_STREQ(track->fileName, name);
        // The error the library reports at that moment: none, after its set-up.
        EXPECT_EQ(Log(), (std::vector<std::string>{kInit, ErrorLine("No errors"), ""})) << name;
        // Play and stop do nothing and say nothing.
        ClearLog();
        PlayMusic(track);
        StopMusic(track);
        EXPECT_TRUE(Log().empty());
    }
}

TEST_F(MusicPlayerTest, TheLocalPathCutsTheName) {
    localPath = 1;
    MusicTrack* track = Load("c:\\demo\\tone.mod");
    EXPECT_EQ(cutName, "tone.mod");  // the caller's buffer is cut in place
    EXPECT_STREQ(track->fileName, "tone.mod");
    EXPECT_NE(track->handle, nullptr);
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, kModuleLoaded, LoadLine("tone.mod")}));
    localPath = 0;
    ClearLog();
    track = Load("c:\\demo\\tone.mod");
    EXPECT_STREQ(track->fileName, "c:\\demo\\tone.mod");
    EXPECT_EQ(track->handle, nullptr);
}

TEST_F(MusicPlayerTest, EveryLoadLogsTheInitLineOnce) {
    Load("tone.xm");
    Load("house_lo.wav");
    Load("tone.mod");
    int inits = 0;
    for (const std::string& line : Log()) inits += line == kInit;
    EXPECT_EQ(inits, 3);
    EXPECT_EQ(Log().front(), kInit);
}

TEST_F(MusicPlayerTest, AModuleThatIsNowhereIsAFailedLoad) {
    MusicTrack* track = Load("absent.xm");
    EXPECT_EQ(track->kind, 1);
    EXPECT_EQ(track->handle, nullptr);
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, NotInArchive("absent.xm"), "", kModuleLoaded,
                                               ErrorLine("An invalid parameter was passed to this function"), ""}));
    // Play and stop pass the null handle on and still log.
    ClearLog();
    PlayMusic(track);
    StopMusic(track);
    EXPECT_EQ(Log(), (std::vector<std::string>{kModulePlaying, kModuleUnloaded}));
}

TEST_F(MusicPlayerTest, ADamagedModuleAndAMissingStreamLogTheLibrarysError) {
    MusicTrack* broken = Load("broken.it");
    EXPECT_EQ(broken->handle, nullptr);
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, kModuleLoaded, ErrorLine("Unknown file format"), ""}));
    ClearLog();
    MusicTrack* missing = Load("gone.mp3");
    EXPECT_EQ(missing->handle, nullptr);
    // The library opens the stream through the callbacks, so the archive's
    // line comes from inside the load call.
    EXPECT_EQ(Log(), (std::vector<std::string>{kInit, NotInArchive("gone.mp3"), "", kStreamLoaded,
                                               ErrorLine("File not found"), ""}));
}

TEST_F(MusicPlayerTest, StopThenPlayPlaysAgainWithoutReloading) {
    MusicTrack* module = Load("tone.xm");
    MusicTrack* stream = Load("house_lo.mp3");
    ClearLog();
    MixRecorder mix;
    PlayMusic(module);
    Frames(25);
    StopMusic(module);
    Frames(5);
    const size_t stoppedAt = mix.frames();
    PlayMusic(module);
    Frames(25);
    StopMusic(module);
    PlayMusic(stream);
    Frames(50);
    StopMusic(stream);
    PlayMusic(stream);
    Frames(50);
    EXPECT_EQ(Log(), (std::vector<std::string>{kModulePlaying, kModuleUnloaded, kModulePlaying, kModuleUnloaded,
                                               kStreamPlaying, kStreamUnloaded, kStreamPlaying}));
    EXPECT_GT(Rms(mix.samples(), 0, 22050), 1000.0);
    EXPECT_EQ(Rms(mix.samples(), stoppedAt - 4410, 4410), 0.0);
    EXPECT_GT(Rms(mix.samples(), stoppedAt, 22050), 1000.0);
    // The module's second play is its first again, sample for sample.
    EXPECT_EQ(std::vector<int16_t>(mix.samples().begin(), mix.samples().begin() + 22050 * 2),
              std::vector<int16_t>(mix.samples().begin() + stoppedAt * 2,
                                   mix.samples().begin() + (stoppedAt + 22050) * 2));
    EXPECT_GT(Rms(mix.samples(), mix.frames() - 22050, 22050), 500.0);
}

TEST_F(MusicPlayerTest, ErrorTextsAreTheSoundLibrarysOwn) {
    const char* table[] = {
        "No errors",
        "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
        "This command failed because FSOUND_Init was not called",
        "Error initializing output device.",
        "The output device is already in use and cannot be reused.",
        "Playing the sound failed.",
        "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
        "Error setting cooperative level for hardware.",
        "Error creating hardware sound buffer.",
        "File not found",
        "Unknown file format",
        "Error loading file",
        "Not enough memory ",
        "The version number of this file format is not supported",
        "Incorrect mixer selected",
        "An invalid parameter was passed to this function",
        "Tried to use an EAX command on a non EAX enabled channel or output.",
        "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.",
        "Failed to allocate a new channel",
        "Recording not supported on this device",
    };
    for (int code = 0; code < 20; ++code) EXPECT_STREQ(MusicErrorText(code), table[code]) << code;
    for (int code : {20, -1, 1000, -2147483647 - 1}) EXPECT_STREQ(MusicErrorText(code), "Unknown error") << code;
    // The codes the library stand-in reports are the table's.
    EXPECT_EQ(FMOD_ERR_BUSY, 1);
    EXPECT_EQ(FMOD_ERR_FILE_NOTFOUND, 9);
    EXPECT_EQ(FMOD_ERR_FILE_FORMAT, 10);
    EXPECT_EQ(FMOD_ERR_INVALID_MIXER, 14);
    EXPECT_EQ(FMOD_ERR_INVALID_PARAM, 15);
    EXPECT_EQ(FMOD_ERR_RECORD, 19);
}

TEST_F(MusicPlayerTest, TheFileCallbacksAreTheMemoryFileOperations) {
    void* handle = MusicOpenCallback("tone.mod");
    ASSERT_NE(handle, nullptr);
    MemoryFile* file = static_cast<MemoryFile*>(handle);
    const int32_t size = file->size;
    char buffer[32];
    EXPECT_EQ(MusicReadCallback(buffer, 20, handle), 20);
    EXPECT_EQ(std::string(buffer, 12), "velmora tone");
    EXPECT_EQ(MusicTellCallback(handle), 20);
    MusicSeekCallback(handle, 5, 1);
    EXPECT_EQ(MusicTellCallback(handle), 25);
    // The mode is a signed 8-bit value handed on to MemSeek: 2 counts back from the end.
    MusicSeekCallback(handle, 4, static_cast<signed char>(2));
    EXPECT_EQ(MusicTellCallback(handle), size - 4);
    EXPECT_EQ(MusicReadCallback(buffer, 32, handle), 4);
    MusicSeekCallback(handle, 0, 0);
    EXPECT_EQ(MusicTellCallback(handle), 0);
    MusicSeekCallback(handle, 7, static_cast<signed char>(-1));  // no such mode: nothing moves
    EXPECT_EQ(MusicTellCallback(handle), 0);
    MusicCloseCallback(handle);
    EXPECT_EQ(MusicOpenCallback("nowhere.xm"), nullptr);
}

}  // namespace
