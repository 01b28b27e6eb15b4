// velmora-capture run as a program on shows the tests write: a show with a
// music track that plays through a hold and a scene and a second track that
// start together after it. The film keeps step with the mix in both modes,
// two runs give the same frames, the show's folder is left as it was, and an
// interrupted capture leaves nothing behind.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "archive_writer.h"
#include "music/module_writer.h"
#include "music/music_test_support.h"
#include "scene_writer/sample_scenes.h"
#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;
namespace fs = std::filesystem;

namespace {

constexpr int kRate = 25;               // film frames a second in these tests
constexpr size_t kSamplesPerFrame = 44100 / kRate;
constexpr double kFrameMs = 1000.0 / kRate;

// tone.xm plays from the start through a hold of 610 ms at 0.2 s and stops
// just after it. The cube shows in frames 3 to 5 of its scene (0.1 s to
// 0.2 s) and again from frame 36 (1.2 s), when tone.mod starts.
const char kHoldScript[] =
    "[Music][00] 2\r\n"
    "[Music][01][Filename] tone.xm\r\n"
    "[Music][02][Filename] tone.mod\r\n"
    "[QX3][00] 1\r\n"
    "[QX3][01][Filename] cube.QX3\r\n"
    "[QX3][01][Load]\r\n"
    "[QX3][01][Camera] 3 6 Camera01 0 0 100 0 FALSE\r\n"
    "[QX3][01][Camera] 36 75 Camera01 0 0 100 0 FALSE\r\n"
    "[Music][01][Play] 0\r\n"
    "[QX3][01][Play] 0 FALSE\r\n"
    "[Engine][Hold] 0.2 610\r\n"
    "[Music][01][Stop] 0.81\r\n"
    "[Music][02][Play] 1.2\r\n"
    "[Music][02][Stop] 2.5\r\n"
    "[QX3][01][Stop] 2.5\r\n";

// The cube turning for ever: a show that only an interruption ends.
const char kEndlessScript[] =
    "[Music][00] 1\r\n"
    "[Music][01][Filename] tone.xm\r\n"
    "[QX3][00] 1\r\n"
    "[QX3][01][Filename] cube.QX3\r\n"
    "[QX3][01][Load]\r\n"
    "[QX3][01][Camera] 0 90 Camera01 0 0 100 0 FALSE\r\n"
    "[Music][01][Play] 0\r\n"
    "[QX3][01][Play] 0 TRUE\r\n";

// A show that waits twelve days for its last action.
const char kTwelveDaysScript[] =
    "[QX3][00] 1\r\n"
    "[QX3][01][Filename] cube.QX3\r\n"
    "[QX3][01][Load]\r\n"
    "[QX3][01][Camera] 0 90 Camera01 0 0 100 0 FALSE\r\n"
    "[QX3][01][Play] 0 FALSE\r\n"
    "[QX3][01][Unload] 1036800\r\n";

// Off a terminal, standard error holds only the progress lines: one at each
// tenth of the frames expected, in order.
void ExpectOnlyProgressLines(const std::string& said) {
    static const std::regex line(
        R"(velmora-capture: (\d+)%, frame (\d+) of ~(\d+), \d+\.\d s of show in \d+\.\d s)");
    std::istringstream lines(said);
    std::string text;
    int tenths = 0;
    while (std::getline(lines, text)) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(text, parts, line)) << text;
        const int percent = std::stoi(parts[1]);
        EXPECT_GT(percent, tenths * 10) << text;
        EXPECT_EQ(percent % 10, 0) << text;
        EXPECT_GE(std::stoll(parts[2]) * 100, std::stoll(parts[3]) * percent) << text;
        tenths = percent / 10;
    }
    EXPECT_GE(tenths, 5) << said;
    EXPECT_TRUE(said.empty() || said.back() == '\n');
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The example show's cube, its texture and the two tone modules, loose in a
// new folder with the script; and a settings file and an old log of the
// player's, which a capture must leave alone.
std::string MakeShow(const char* script) {
    using namespace velmora::tools;
    std::string show = MakeTempDirectory();
    std::string error;
    const SceneDescription cube = ExampleShowScene();
    EXPECT_TRUE(WriteSceneFile(show + "/cube.QX3", cube, &error)) << error;
    EXPECT_TRUE(WriteVisibilityFile(show + "/cube.VIS", cube, [](int32_t, int32_t, int32_t, int32_t) { return true; },
                                    &error))
        << error;
    EXPECT_TRUE(WriteBytes(show + "/cube.bmp", ExampleTextureBytes()));
    EXPECT_TRUE(WriteBytes(show + "/tone.xm", ToneXm()));
    EXPECT_TRUE(WriteBytes(show + "/tone.mod", ToneMod()));
    WriteText(show + "/MORVAST.QXP", script);
    WriteText(show + "/QX_Engine.ini", "*** Velmora INI file ***\r\n[Autorun] TRUE\r\n");
    WriteText(show + "/Log.TXT", "an earlier run\r\n");
    return show;
}

std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& entry : fs::directory_iterator(folder))
        contents[entry.path().filename().string()] = ReadFile(entry.path().string());
    return contents;
}

// Names in folder that a capture's work in progress would have.
std::vector<std::string> LeftOvers(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().find(".capture-") != std::string::npos)
            found.push_back(entry.path().string());
    return found;
}

std::string Ffmpeg(const char* name) {
    for (const char* folder : {"/usr/bin", "/usr/local/bin"}) {
        std::string path = std::string(folder) + "/" + name;
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return "";
}

// Whether each picture has anything drawn in it: its brightest channel.
std::vector<int> Brightness(const std::vector<uint8_t>& gray, size_t frameSize) {
    std::vector<int> brightest;
    for (size_t at = 0; at + frameSize <= gray.size(); at += frameSize) {
        int most = 0;
        for (size_t i = at; i < at + frameSize; ++i) most = std::max<int>(most, gray[i]);
        brightest.push_back(most);
    }
    return brightest;
}

int PngBrightness(const std::string& path) {
    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (!image) return -1;
    FIBITMAP* gray = FreeImage_ConvertToGreyscale(image);
    FreeImage_Unload(image);
    int most = 0;
    for (unsigned y = 0; y < FreeImage_GetHeight(gray); ++y) {
        const BYTE* line = FreeImage_GetScanLine(gray, static_cast<int>(y));
        for (unsigned x = 0; x < FreeImage_GetWidth(gray); ++x) most = std::max<int>(most, line[x]);
    }
    FreeImage_Unload(gray);
    return most;
}

// The starts of the runs of frames, or of samples, above a threshold.
template <typename Loud>
std::vector<size_t> RunStarts(size_t count, Loud loud) {
    std::vector<size_t> starts;
    bool inRun = false;
    for (size_t i = 0; i < count; ++i) {
        bool now = loud(i);
        if (now && !inRun) starts.push_back(i);
        inRun = now;
    }
    return starts;
}

// Runs of sound, allowing the tone's own zero crossings inside a run.
std::vector<size_t> SoundStarts(const std::vector<int16_t>& stereo) {
    const size_t frames = stereo.size() / 2;
    std::vector<size_t> starts;
    size_t lastLoud = 0;
    bool any = false;
    for (size_t i = 0; i < frames; ++i) {
        if (std::abs(stereo[i * 2]) < 1000) continue;
        if (!any || i - lastLoud > 441) starts.push_back(i);  // 10 ms of quiet ends a run
        lastLoud = i;
        any = true;
    }
    return starts;
}

class CaptureProgramTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A copy, since the log is written beside the program.
        toolFolder = new std::string(MakeTempDirectory());
        fs::copy_file(VELMORA_CAPTURE_PROGRAM, *toolFolder + "/velmora-capture");
    }
    static void TearDownTestSuite() {
        std::error_code ignored;
        fs::remove_all(*toolFolder, ignored);
        delete toolFolder;
    }
    static std::string Tool() { return *toolFolder + "/velmora-capture"; }

    ProgramResult Capture(const std::vector<std::string>& arguments,
                          std::map<std::string, std::string> environment = {}) {
        environment.emplace("DISPLAY", "");
        environment.emplace("WAYLAND_DISPLAY", "");
        environment.emplace("VELMORA_LOG", "");
        return RunProgram(Tool(), arguments, work, environment, 120.0);
    }

    void SetUp() override { work = MakeTempDirectory(); }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(work, ignored);
    }

    static std::string* toolFolder;
    std::string work;  // the folder the tool is started in
};

std::string* CaptureProgramTest::toolFolder = nullptr;

TEST_F(CaptureProgramTest, ArgumentErrorsAreOneLineAndStatusTwoAndWriteNothing) {
    std::string show = MakeShow(kHoldScript);
    std::string empty = MakeTempDirectory();
    std::string noFfmpeg = MakeTempDirectory();  // a PATH without ffmpeg
    std::string fifos = MakeTempDirectory();
    const std::string fifo = fifos + "/film.mp4";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const auto before = FolderContents(show);
    struct Case {
        std::vector<std::string> arguments;
        std::string says;
        std::map<std::string, std::string> environment;
    };
    const std::vector<Case> cases = {
        {{}, "usage: velmora-capture SHOWDIR OUTPUT", {}},
        {{show, "out.mp4", "--loud"}, "unknown option --loud", {}},
        {{show, "out.mp4", "--fps"}, "--fps needs", {}},
        {{show, "out.mp4", "--fps", "0"}, "--fps takes", {}},
        {{show, "out.mp4", "--fps", "0.0001"}, "--fps takes a frame rate from 1", {}},
        {{show, "out.mp4", "--max-hours", "0"}, "--max-hours takes", {}},
        {{show, "out.mp4", "--size", "1280*720"}, "--size takes", {}},
        {{show, "out.mp4", "--size", "161x120"}, "even", {}},
        {{show, "out.mp4", "--crf", "52"}, "--crf takes", {}},
        {{show + "/nothing", "out.mp4"}, "is not a folder", {}},
        {{show + "/MORVAST.QXP", "out.mp4"}, "is not a folder", {}},
        {{empty, "out.mp4"}, "no show in " + empty + ": neither MORVAST.QXD nor MORVAST.QXP", {}},
        {{show, "missing/out.mp4"}, "there is no folder", {}},
        {{show, empty}, "is a folder; name the video file", {}},
        {{show, show, "--frames-only"}, "already exists", {}},
        // Renamed into place, the output would replace a device or a FIFO.
        {{show, "/dev/null"}, "/dev/null is a character device", {}},
        {{show, "/dev/null", "--frames-only"}, "/dev/null is a character device", {}},
        {{show, fifo}, fifo + " is a FIFO", {}},
        {{show, "out.mp4"}, "ffmpeg is not on PATH", {{"PATH", noFfmpeg}}},
    };
    for (const Case& c : cases) {
        std::string said;
        for (const std::string& word : c.arguments) said += word + " ";
        ProgramResult result = Capture(c.arguments, c.environment);
        ASSERT_TRUE(result.finished) << said;
        EXPECT_EQ(result.exitStatus, 2) << said << "\n" << result.standardError;
        EXPECT_EQ(result.standardError.rfind("velmora-capture: ", 0), 0u) << said << "\n" << result.standardError;
        EXPECT_NE(result.standardError.find(c.says), std::string::npos) << said << "\n" << result.standardError;
        // One line, ended.
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << said << "\n" << result.standardError;
        EXPECT_TRUE(fs::is_empty(work)) << said;
        EXPECT_TRUE(fs::is_empty(empty)) << said;
    }
    EXPECT_EQ(FolderContents(show), before);
    EXPECT_FALSE(FileExists(*toolFolder + "/Log.TXT"));
    struct stat info {};
    EXPECT_TRUE(stat("/dev/null", &info) == 0 && S_ISCHR(info.st_mode));
    EXPECT_TRUE(stat(fifo.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
    EXPECT_EQ(std::distance(fs::directory_iterator(fifos), fs::directory_iterator()), 1);
}

TEST_F(CaptureProgramTest, AShowLongerThanTheCaptureTakesIsRefusedAndNothingWritten) {
    // By its timeline, at the first frame: twelve days against six hours.
    std::string waits = MakeShow(kTwelveDaysScript);
    ProgramResult result = Capture({waits, "frames", "--frames-only", "--size", "32x24"});
    ASSERT_TRUE(result.finished) << "filmed on";
    EXPECT_EQ(result.exitStatus, 2) << result.standardError;
    EXPECT_EQ(result.standardError, "velmora-capture: the show's timeline runs 288:00:00, longer than --max-hours 6; " +
                                        work + "/frames was not written\n");
    EXPECT_TRUE(fs::is_empty(work));
    // With room enough it would be filmed; here a smaller limit refuses the
    // example of a show of 3.5 s.
    result = Capture({MakeShow(kHoldScript), "frames", "--frames-only", "--size", "32x24", "--max-hours", "0.0005"});
    EXPECT_EQ(result.exitStatus, 2) << result.standardError;
    EXPECT_NE(result.standardError.find("longer than --max-hours 0.0005"), std::string::npos) << result.standardError;
    EXPECT_TRUE(fs::is_empty(work));

    // By the frames filmed, for a loop that nothing stops: 2.7 s allowed.
    result = Capture({MakeShow(kEndlessScript), "frames", "--frames-only", "--size", "32x24", "--fps", "10",
                      "--max-hours", "0.00075"});
    ASSERT_TRUE(result.finished) << "filmed on";
    EXPECT_EQ(result.exitStatus, 2) << result.standardError;
    EXPECT_EQ(result.standardError.substr(result.standardError.rfind("velmora-capture: ")),
              "velmora-capture: the show was still running after --max-hours 0.00075 (a scene looped and never "
              "stopped?); " + work + "/frames was not written\n");
    EXPECT_TRUE(fs::is_empty(work));
}

// The show's own length, as the player makes it on the virtual clock: its
// captured mix, pause included.
size_t PlayerSamples(const std::string& show) {
    std::string frames = MakeTempDirectory();
    ProgramResult played = RunProgram(VELMORA_PROGRAM, {}, show,
                                      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"VELMORA_LOG", ""},
                                       {"VELMORA_FPS", std::to_string(kRate)}, {"VELMORA_CAPTURE", frames}},
                                      120.0);
    EXPECT_EQ(played.exitStatus, 0) << played.standardError;
    std::vector<int16_t> samples;
    int rate = 0, channels = 0;
    EXPECT_TRUE(ReadWav(frames + "/audio.wav", samples, rate, channels));
    std::error_code ignored;
    fs::remove_all(frames, ignored);
    return samples.size() / 2;
}

// What the film and its sound must show, whichever way they were stored:
// brightness per film frame and the mix.
void ExpectInStep(const std::vector<int>& brightness, const std::vector<int16_t>& stereo, size_t showSamples) {
    const size_t frames = brightness.size();
    const size_t samples = stereo.size() / 2;
    // As long as the show, within one frame, and never shorter than its sound.
    EXPECT_GE(frames * kSamplesPerFrame, showSamples);
    EXPECT_LT(frames * kSamplesPerFrame, showSamples + kSamplesPerFrame);
    EXPECT_LT(frames * kSamplesPerFrame, samples + 2 * kSamplesPerFrame);
    EXPECT_GE(frames * kSamplesPerFrame + kSamplesPerFrame, samples);

    // The picture: black, the cube before the hold (film frame 4 at 0.16 s)
    // standing through it, then black, then the cube from about 1.2 s.
    std::vector<size_t> pictures = RunStarts(frames, [&](size_t i) { return brightness[i] > 60; });
    ASSERT_EQ(pictures.size(), 2u);
    EXPECT_EQ(pictures[0], 4u);
    for (size_t i = 0; i < 4; ++i) EXPECT_LT(brightness[i], 30) << "film frame " << i;
    // The held picture lasts to the hold's end at 0.81 s: film frame 20.
    for (size_t i = 4; i <= 20; ++i) EXPECT_GT(brightness[i], 60) << "film frame " << i;
    EXPECT_LT(brightness[21], 30);

    // The sound: tone.xm from 0 through the hold, then tone.mod.
    std::vector<size_t> sounds = SoundStarts(stereo);
    ASSERT_EQ(sounds.size(), 2u);
    EXPECT_LT(sounds[0], 44u);
    EXPECT_GT(Rms(stereo, static_cast<size_t>(0.3 * 44100), 441 * 40), 2000.0) << "the music stops in the hold";

    // After the hold, picture and sound start within one frame of each other.
    const double pictureMs = pictures[1] * kFrameMs;
    const double soundMs = sounds[1] * 1000.0 / 44100.0;
    EXPECT_NEAR(pictureMs, soundMs, kFrameMs) << "picture at " << pictureMs << " ms, sound at " << soundMs << " ms";
    EXPECT_NEAR(soundMs, 1210.0, 5.0);
}

TEST_F(CaptureProgramTest, FramesOnlyKeepStepWithTheMixAndLeaveTheShowAlone) {
    std::string show = MakeShow(kHoldScript);
    const auto before = FolderContents(show);
    const std::string output = work + "/frames";
    // No ffmpeg is needed for frames, and the log goes beside the tool.
    ProgramResult result = Capture({show, "frames", "--frames-only", "--fps", "25", "--size", "161x121"},
                                   {{"PATH", MakeTempDirectory()}, {"VELMORA_LOG", "1"}});
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    ExpectOnlyProgressLines(result.standardError);
    EXPECT_EQ(FolderContents(show), before);
    EXPECT_NE(ReadFile(*toolFolder + "/Log.TXT").find("Time:\t\t\t\tDemoExit"), std::string::npos);
    EXPECT_TRUE(LeftOvers(work).empty());

    std::vector<int> brightness;
    for (int i = 0;; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%06d.png", i);
        if (!FileExists(output + name)) break;
        brightness.push_back(PngBrightness(output + name));
    }
    std::vector<int16_t> stereo;
    int rate = 0, channels = 0;
    ASSERT_TRUE(ReadWav(output + "/audio.wav", stereo, rate, channels));
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    EXPECT_EQ(fs::directory_iterator(output) == fs::directory_iterator(), false);
    // Nothing else in the folder: the frames and the sound.
    EXPECT_EQ(static_cast<size_t>(std::distance(fs::directory_iterator(output), fs::directory_iterator())),
              brightness.size() + 1);
    ExpectInStep(brightness, stereo, PlayerSamples(show));
    // The held picture's frames are copies of the one before the hold.
    const std::string held = ReadFile(output + "/frame_000004.png");
    for (const char* name : {"/frame_000005.png", "/frame_000012.png", "/frame_000019.png"})
        EXPECT_TRUE(ReadFile(output + name) == held) << name;
}

TEST_F(CaptureProgramTest, VideoKeepsStepWithTheMixAndIsTheSameTwice) {
    const std::string ffmpeg = Ffmpeg("ffmpeg");
    if (ffmpeg.empty()) GTEST_SKIP() << "no ffmpeg";
    std::string show = MakeShow(kHoldScript);
    const auto before = FolderContents(show);
    std::vector<std::string> framemd5;
    for (const char* name : {"first.mp4", "second.mp4"}) {
        ProgramResult result = Capture({show, name, "--fps", "25", "--size", "160x120"});
        ASSERT_TRUE(result.finished);
        ASSERT_EQ(result.exitStatus, 0) << result.standardError;
        ExpectOnlyProgressLines(result.standardError);
        ProgramResult hashed = RunProgram(ffmpeg, {"-v", "error", "-i", name, "-map", "0:v", "-f", "framemd5",
                                                   "-y", std::string(name) + ".md5"},
                                          work, {}, 60.0);
        ASSERT_EQ(hashed.exitStatus, 0) << hashed.standardError;
        framemd5.push_back(ReadFile(work + "/" + name + ".md5"));
    }
    EXPECT_FALSE(framemd5[0].empty());
    EXPECT_TRUE(framemd5[0] == framemd5[1]) << "two captures decode to different frames";
    EXPECT_EQ(FolderContents(show), before);
    EXPECT_TRUE(LeftOvers(work).empty());

    // H.264 in yuv420p and AAC, the index before the media data.
    ProgramResult probed = RunProgram(Ffmpeg("ffprobe"),
                                      {"-v", "error", "-show_entries", "stream=codec_name,pix_fmt,width,height",
                                       "-of", "compact=p=0", "-o", "probe.txt", "first.mp4"},
                                      work, {}, 60.0);
    ASSERT_EQ(probed.exitStatus, 0) << probed.standardError;
    EXPECT_EQ(ReadFile(work + "/probe.txt"),
              "codec_name=h264|width=160|height=120|pix_fmt=yuv420p\ncodec_name=aac\n");
    const std::string file = ReadFile(work + "/first.mp4");
    ASSERT_NE(file.find("moov"), std::string::npos);
    EXPECT_LT(file.find("moov"), file.find("mdat"));

    // Decoded: each picture's brightness, and the sound.
    ProgramResult decoded = RunProgram(ffmpeg, {"-v", "error", "-i", "first.mp4", "-map", "0:v", "-f", "rawvideo",
                                                "-pix_fmt", "gray", "-y", "video.gray", "-map", "0:a", "-c:a",
                                                "pcm_s16le", "-y", "audio.wav"},
                                       work, {}, 60.0);
    ASSERT_EQ(decoded.exitStatus, 0) << decoded.standardError;
    const std::string gray = ReadFile(work + "/video.gray");
    std::vector<int> brightness =
        Brightness(std::vector<uint8_t>(gray.begin(), gray.end()), static_cast<size_t>(160 * 120));
    std::vector<int16_t> stereo;
    int rate = 0, channels = 0;
    ASSERT_TRUE(ReadWav(work + "/audio.wav", stereo, rate, channels));
    ExpectInStep(brightness, stereo, PlayerSamples(show));
}

TEST_F(CaptureProgramTest, AShowIsFoundInItsArchiveAsThePlayerFindsIt) {
    // Everything, the script included, packed into MORVAST.QXD and nothing loose.
    std::string loose = MakeShow(kHoldScript);
    std::string packed = MakeTempDirectory();
    std::vector<std::string> files;
    for (const char* name : {"cube.QX3", "cube.VIS", "cube.bmp", "tone.xm", "tone.mod", "MORVAST.QXP"})
        files.push_back(loose + "/" + name);
    std::string error;
    ASSERT_TRUE(velmora::tools::CreateArchive(packed + "/MORVAST.QXD", files, error)) << error;
    ProgramResult result = Capture({packed, "frames", "--frames-only", "--fps", "10", "--size", "32x24"});
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_TRUE(FileExists(work + "/frames/frame_000000.png"));
    EXPECT_TRUE(FileExists(work + "/frames/audio.wav"));

    // An archive without the script is no show.
    files.pop_back();
    ASSERT_TRUE(velmora::tools::CreateArchive(packed + "/MORVAST.QXD", files, error)) << error;
    result = Capture({packed, "more", "--frames-only"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.standardError,
              "velmora-capture: no show in " + packed + ": MORVAST.QXP is neither in MORVAST.QXD nor beside it\n");
    EXPECT_FALSE(FileExists(work + "/more"));
}

TEST_F(CaptureProgramTest, AnFfmpegThatFailsFailsTheCaptureInOneLine) {
    std::string show = MakeShow(kHoldScript);
    std::string fake = MakeTempDirectory();
    WriteText(fake + "/ffmpeg", "#!/bin/sh\necho 'Unknown encoder libx264' >&2\nexit 1\n");
    fs::permissions(fake + "/ffmpeg", fs::perms::owner_all);
    ProgramResult result = Capture({show, "out.mp4", "--size", "160x120"}, {{"PATH", fake + ":/usr/bin:/bin"}});
    ASSERT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.standardError,
              "velmora-capture: ffmpeg stopped taking frames (ffmpeg failed (exit status 1): Unknown encoder "
              "libx264)\n");
    EXPECT_TRUE(fs::is_empty(work));
}

// Starts the tool without waiting; its standard error goes to errorPath.
pid_t StartTool(const std::string& tool, const std::vector<std::string>& arguments, const std::string& folder,
                const std::string& errorPath) {
    pid_t child = fork();
    if (child != 0) return child;
    if (chdir(folder.c_str()) != 0) _exit(126);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("VELMORA_LOG");
    int errorFile = open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (errorFile >= 0) dup2(errorFile, 2);
    std::vector<char*> argv{const_cast<char*>(tool.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    execv(tool.c_str(), argv.data());
    _exit(127);
}

TEST_F(CaptureProgramTest, AnInterruptedCaptureLeavesNothingBehind) {
    std::string show = MakeShow(kEndlessScript);
    const auto before = FolderContents(show);
    for (bool framesOnly : {false, true}) {
        if (!framesOnly && Ffmpeg("ffmpeg").empty()) continue;
        std::vector<std::string> arguments = {show, framesOnly ? "frames" : "endless.mp4", "--size", "320x240"};
        if (framesOnly) arguments.push_back("--frames-only");
        const std::string errorPath = MakeTempDirectory() + "/stderr.txt";
        pid_t tool = StartTool(Tool(), arguments, work, errorPath);
        ASSERT_GT(tool, 0);
        // Under way once its work in progress holds half a second of sound.
        bool underWay = false;
        for (int i = 0; i < 600 && !underWay; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            for (const std::string& folder : LeftOvers(work)) {
                std::error_code missing;
                underWay = underWay || fs::file_size(folder + "/audio.wav", missing) > 88200;
            }
        }
        EXPECT_TRUE(underWay) << (framesOnly ? "frames" : "video");
        kill(tool, SIGINT);
        int status = 0;
        bool ended = false;
        for (int i = 0; i < 400 && !ended; ++i) {
            ended = waitpid(tool, &status, WNOHANG) == tool;
            if (!ended) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!ended) {
            kill(tool, SIGKILL);
            waitpid(tool, &status, 0);
        }
        ASSERT_TRUE(ended) << "still running 20 s after Ctrl+C";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGINT) << status;
        EXPECT_NE(ReadFile(errorPath).find("interrupted;"), std::string::npos) << ReadFile(errorPath);
        EXPECT_TRUE(fs::is_empty(work)) << (framesOnly ? "frames" : "video");
    }
    EXPECT_EQ(FolderContents(show), before);
}

}  // namespace
