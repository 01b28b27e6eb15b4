// The sample show as it is built (build/sample_show): qxshow's refusals and
// its same bytes on a second run, qxcheck finding nothing to warn about, every
// key of the script taking effect in the player's reader, and the real player
// playing it to its end on the virtual clock: no error in its log, a picture
// in every scene's window that looks as it did (low-resolution signatures),
// and music wherever a track plays.
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/archive_reader.h"
#include "data/data_archive.h"
#include "music/music_player.h"
#include "music/music_test_support.h"
#include "sample_show/show_timing.h"
#include "scene/scene.h"
#include "show/play_script.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "support/run_program.h"
#include "support/temp_files.h"
#include "texture/texture_container.h"

namespace fs = std::filesystem;
using namespace velmora::testing;

namespace {

const std::string kShow = VELMORA_SAMPLE_SHOW_DIR;

// The frame rate of the play-through: low, to keep the test short.
constexpr int kFps = 5;

// The frame captured at the given second of the show: one every 1/kFps
// seconds, none during the hold.
int FrameAt(double seconds) {
    if (seconds > velmora::tools::kHoldAt) seconds -= velmora::tools::kHoldMilliseconds / 1000.0;
    return static_cast<int>(std::lround(seconds * kFps));
}

std::string FrameName(const std::string& folder, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame_%06d.png", frame);
    return folder + name;
}

// A frame shrunk to 16 x 12 cells of 40 x 40 pixels: the mean red, green and
// blue of each, row by row from the top.
constexpr int kCellsAcross = 16, kCellsDown = 12;
std::vector<int> Signature(const std::string& path) {
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (!loaded) return {};
    FIBITMAP* bitmap = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    const int width = static_cast<int>(FreeImage_GetWidth(bitmap)), height = static_cast<int>(FreeImage_GetHeight(bitmap));
    std::vector<long> sums(kCellsAcross * kCellsDown * 3, 0);
    for (int y = 0; y < height; ++y) {
        const BYTE* line = FreeImage_GetScanLine(bitmap, height - 1 - y);
        const int cy = y * kCellsDown / height;
        for (int x = 0; x < width; ++x) {
            const int cell = (cy * kCellsAcross + x * kCellsAcross / width) * 3;
            sums[cell] += line[x * 3 + FI_RGBA_RED];
            sums[cell + 1] += line[x * 3 + FI_RGBA_GREEN];
            sums[cell + 2] += line[x * 3 + FI_RGBA_BLUE];
        }
    }
    FreeImage_Unload(bitmap);
    const long perCell = static_cast<long>(width / kCellsAcross) * (height / kCellsDown);
    std::vector<int> signature;
    for (long sum : sums) signature.push_back(static_cast<int>(sum / perCell));
    return signature;
}

// A frame with a picture in it: bright enough on average, and not one flat
// colour (the spread of its cells' brightness).
struct Picture {
    double mean = 0.0, spread = 0.0;
};
Picture Measure(const std::vector<int>& signature) {
    Picture picture;
    std::vector<double> cells;
    for (size_t i = 0; i + 2 < signature.size(); i += 3)
        cells.push_back((signature[i] + signature[i + 1] + signature[i + 2]) / 3.0);
    for (double v : cells) picture.mean += v / cells.size();
    for (double v : cells) picture.spread += (v - picture.mean) * (v - picture.mean) / cells.size();
    picture.spread = std::sqrt(picture.spread);
    return picture;
}

// The stored signatures: one line per second of the show, "SECONDS V V V ...".
std::string SignatureFile() { return std::string(VELMORA_SAMPLE_SHOW_SIGNATURES); }

std::vector<std::pair<double, std::vector<int>>> ReadSignatures() {
    std::vector<std::pair<double, std::vector<int>>> signatures;
    std::ifstream file(SignatureFile());
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream values(line);
        double seconds = 0.0;
        values >> seconds;
        std::vector<int> signature;
        for (int v; values >> v;) signature.push_back(v);
        signatures.emplace_back(seconds, signature);
    }
    return signatures;
}

// The seconds the signatures are taken at: two in each scene's window.
const std::vector<double> kSignatureSeconds = {3.0, 6.0, 12.0, 20.0, 27.0, 34.0, 42.0, 50.0, 56.0, 59.0};

TEST(QxshowTest, RefusesBadArgumentsWithOneLine) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, std::vector<std::string>{"a", "b"}, std::vector<std::string>{""}}) {
        ProgramResult result = RunProgram(QXSHOW_PROGRAM, arguments, "/", {}, 60.0);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << result.standardError;
    }
    // A file where the folder should be, and a folder that cannot be written.
    const std::string here = MakeTempDirectory();
    std::ofstream(here + "/plain") << "x";
    ProgramResult blocked = RunProgram(QXSHOW_PROGRAM, {here + "/plain/show"}, "/", {}, 60.0);
    EXPECT_EQ(blocked.exitStatus, 2);
    EXPECT_NE(blocked.standardError.find("qxshow: "), std::string::npos);
    if (geteuid() != 0) {
        fs::create_directory(here + "/locked");
        fs::permissions(here + "/locked", fs::perms::owner_read | fs::perms::owner_exec);
        ProgramResult locked = RunProgram(QXSHOW_PROGRAM, {here + "/locked"}, "/", {}, 60.0);
        EXPECT_EQ(locked.exitStatus, 2);
        EXPECT_TRUE(fs::is_empty(here + "/locked"));
    }
}

TEST(QxshowTest, WritesTheSameShowAgain) {
#if defined(__SANITIZE_ADDRESS__)
    // A minute of generating under the sanitizers; the build has run qxshow
    // under them already (the sample_show target), and the plain build's run
    // of this test compares the bytes.
    GTEST_SKIP() << "checked in the plain build";
#endif
    const std::string again = MakeTempDirectory() + "/again";
    ProgramResult made = RunProgram(QXSHOW_PROGRAM, {again}, "/", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 600.0);
    ASSERT_EQ(made.exitStatus, 0) << made.standardError;
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(again)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    // Nothing but the archive and the script is left behind.
    EXPECT_EQ(names, (std::vector<std::string>{"MORVAST.QXD", "MORVAST.QXP"}));
    for (const char* name : {"MORVAST.QXD", "MORVAST.QXP"})
        EXPECT_TRUE(ReadFile(again + "/" + name) == ReadFile(kShow + "/" + name)) << name << " differs";
}

TEST(SampleShowScriptTest, QxcheckFindsNothingToWarnAbout) {
    ProgramResult checked = RunProgram(QXCHECK_PROGRAM, {"MORVAST.QXP"}, kShow, {}, 120.0);
    EXPECT_EQ(checked.exitStatus, 0) << checked.standardError;
    // The loose script is the one in the archive.
    const std::string packed = MakeTempDirectory();
    ProgramResult extracted = RunProgram(QXPACK_PROGRAM, {"extract", kShow + "/MORVAST.QXD", packed}, "/", {}, 60.0);
    ASSERT_EQ(extracted.exitStatus, 0) << extracted.standardError;
    EXPECT_EQ(ReadFile(packed + "/MORVAST.QXP"), ReadFile(kShow + "/MORVAST.QXP"));
}

class SampleShowReadTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        previous = fs::current_path();
        fs::current_path(kShow);
        LoadDataArchive("MORVAST.QXD");
        char name[] = "MORVAST.QXP";
        ReadPlayScript(name, nullptr);
    }
    void TearDown() override {
        for (int i = 0; i < sceneCount; ++i) FreeScene(&scenes[i]);
        std::free(scenes);
        for (int i = 0; i < musicTrackCount; ++i) {
            StopMusic(&musicTracks[i]);
            std::free(musicTracks[i].fileName);
        }
        std::free(musicTracks);
        while (textureList) delete textureList;
        FreeArchiveDirectory(&dataArchive);
        fs::current_path(previous);
        EngineTest::TearDown();
    }
    fs::path previous;
};

TEST_F(SampleShowReadTest, EveryKeyOfTheScriptTakesEffect) {
    // Written out, every chunk and key.
    const std::string script = ReadFile("MORVAST.QXP");
    for (const char* key :
         {"[Engine][Local path] TRUE", "[Engine][Hold] ", "[Music][00] ", "][Filename] ", "[Music][01][Play] ",
          "[Music][01][Stop] ", "[QX3][00] ", "][Load]\r\n", "][Camera] ", "][FPS] ", "][Blur] ", "][Order] ",
          "][Shade] ", " Flat\r\n", " Gouraud\r\n", "][Overlay] ", "][Backface] ", "][Play] ", " TRUE\r\n",
          " FALSE\r\n", "][Stop] ", "][Unload] ", "][PreLoad] ", "][Release] "})
        EXPECT_NE(script.find(key), std::string::npos) << key;

    // And done, as the player's reader leaves the engine.
    EXPECT_EQ(localPath, 1);
    ASSERT_EQ(musicTrackCount, 2);
    EXPECT_EQ(musicTracks[0].kind, 1);  // a module
    EXPECT_EQ(musicTracks[1].kind, 3);  // a WAV stream
    for (int i = 0; i < 2; ++i) EXPECT_NE(musicTracks[i].handle, nullptr) << "track " << i + 1;
    ASSERT_GE(sceneCount, 4);
    std::set<int32_t> types;
    for (Action* a = actionList.next; a; a = a->next) types.insert(a->type);
    EXPECT_EQ(types, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    bool additive = false, faded = false, trail = false, reordered = false, flat = false, overlay = false;
    bool rate = false, ambient = false, bothSidesOpaque = false, oneSideTranslucent = false;
    for (int s = 0; s < sceneCount; ++s) {
        const Scene& scene = scenes[s];
        EXPECT_GT(scene.objectCount, 0) << "scene " << s + 1 << " is not loaded";
        rate |= scene.framesPerSecond != 30.0f;
        for (int c = 0; c < scene.cameraCount; ++c) {
            const SceneCamera& camera = scene.cameras[c];
            trail |= camera.blurFrames > 1;
            reordered |= scene.cameraOrder[c] != c;
            for (int f = 0; f < scene.frameCount; ++f) {
                additive |= camera.frameBlend[f] > 1.0f;
                faded |= camera.frameBlend[f] > 0.0f && camera.frameBlend[f] < 1.0f;
                ambient |= camera.frameExtraAmbient[f] != 0;
            }
        }
        for (int o = 0; o < scene.objectCount; ++o) {
            const SceneObject& object = scene.objects[o];
            flat |= object.shadeMode == 1;
            overlay |= object.overlay == 1;
            bool opaque = true;
            for (int p = 0; p < object.partCount; ++p) opaque &= object.partDrawStyles[p]->material.diffuse.a == 1.0f;
            // Loading culls the back faces of opaque objects only.
            bothSidesOpaque |= opaque && !object.cullBackfaces;
            oneSideTranslucent |= !opaque && object.cullBackfaces;
        }
    }
    EXPECT_TRUE(additive) << "no additive camera";
    EXPECT_TRUE(faded) << "no camera fades";
    EXPECT_TRUE(trail) << "no blur trail";
    EXPECT_TRUE(reordered) << "no camera order";
    EXPECT_TRUE(flat) << "no flat shading";
    EXPECT_TRUE(overlay) << "no additive object";
    EXPECT_TRUE(rate) << "no frame rate";
    EXPECT_TRUE(ambient) << "no extra ambient";
    EXPECT_TRUE(bothSidesOpaque) << "no back-face line FALSE";
    EXPECT_TRUE(oneSideTranslucent) << "no back-face line TRUE";
}

TEST_F(SampleShowReadTest, EveryTextureHasItsLowDetailFileInTheArchive) {
    std::set<std::string> names, extensions;
    for (int s = 0; s < sceneCount; ++s)
        for (int d = 0; d < scenes[s].drawStyleCount; ++d) names.insert(scenes[s].drawStyles[d].textureName);
    for (const std::string& name : names) {
        extensions.insert(fs::path(name).extension().string());
        const std::string base = name.substr(0, name.size() - 4);
        EXPECT_GE(FindArchiveEntry(&dataArchive, name.c_str()), 0) << name;
        EXPECT_GE(FindArchiveEntry(&dataArchive, (base + "_256" + name.substr(name.size() - 4)).c_str()), 0) << name;
        // With low-detail textures on, the player reads the smaller file.
        DWORD width[2] = {0, 0};
        for (int low = 0; low < 2; ++low) {
            lowTextures = low;
            TextureContainer texture(name.c_str(), 0);
            EXPECT_EQ(texture.LoadImageData(), 0) << name;
            width[low] = texture.dwWidth;
        }
        lowTextures = 0;
        EXPECT_EQ(width[1] * 2, width[0]) << name;
    }
    EXPECT_EQ(extensions, (std::set<std::string>{".bmp", ".jpg", ".pcx", ".png", ".tga"}));
}

// Plays the show once with the real player, and checks everything that run
// shows: the log, the frames, the sound.
TEST(SampleShowPlayTest, PlaysToItsEndWithPictureAndMusic) {
    const std::string show = MakeTempDirectory();
    for (const char* name : {"MORVAST.QXD", "MORVAST.QXP"}) fs::copy_file(kShow + "/" + name, show + "/" + name);
    fs::copy_file(VELMORA_PROGRAM, show + "/velmora");  // the log is written beside the program
    const std::string capture = show + "/capture";
    ProgramResult played = RunProgram(show + "/velmora", {}, show,
                                      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"VELMORA_LOG", "1"},
                                       {"VELMORA_FPS", std::to_string(kFps)}, {"VELMORA_CAPTURE", capture}},
                                      600.0);
    ASSERT_TRUE(played.finished) << "the show did not end by itself";
    EXPECT_EQ(played.exitStatus, 0) << played.standardError;

    // The log: no error anywhere, and the show ends by itself.
    const std::vector<std::string> log = ReadLogLines(show + "/Log.TXT");
    ASSERT_FALSE(log.empty());
    for (const std::string& line : log) EXPECT_NE(line.rfind("ERROR:", 0), 0u) << line;
    EXPECT_NE(std::find(log.begin(), log.end(), "Time:\t\t\t\tDemoExit"), log.end());

    // The frames: about a minute of them, each scene's window showing a
    // picture, and the signatures as stored.
    size_t frames = 0;
    for (const auto& entry : fs::directory_iterator(capture)) frames += entry.path().extension() == ".png";
    EXPECT_GT(frames, static_cast<size_t>(60 * kFps));
    EXPECT_LT(frames, static_cast<size_t>(64 * kFps));
    struct Window {
        const char* scene;
        double from, to;
    };
    using namespace velmora::tools;
    const Window windows[] = {{"title", kTitleStart + 1.5, kTuneStart - 1.0},
                              {"tunnel", kTunnelStart + 1.0, kKnotStart - 1.0},
                              {"knot", kKnotStart + 1.0, kCityStart - 1.0},
                              {"city", kCityStart + 1.0, kCloseStart - 1.0},
                              {"close", kCloseStart + 1.5, kCloseStart + 7.0}};
    for (const Window& window : windows)
        for (double t = window.from; t <= window.to; t += 1.0) {
            const Picture picture = Measure(Signature(FrameName(capture, FrameAt(t))));
            EXPECT_GT(picture.mean, 20.0) << window.scene << " at " << t << " s is dark";
            EXPECT_GT(picture.spread, 8.0) << window.scene << " at " << t << " s is one flat colour";
        }
    const char* update = std::getenv("VELMORA_UPDATE_GOLDENS");
    if (update && std::strcmp(update, "1") == 0) {
        std::ofstream file(SignatureFile());
        file << "# The sample show's frames at 16 x 12 cells (red, green, blue), written by\n"
                "# VELMORA_UPDATE_GOLDENS=1 velmora_sample_show_tests.\n";
        for (double t : kSignatureSeconds) {
            file << t;
            for (int v : Signature(FrameName(capture, FrameAt(t)))) file << ' ' << v;
            file << '\n';
        }
    } else {
        const auto signatures = ReadSignatures();
        EXPECT_EQ(signatures.size(), kSignatureSeconds.size()) << "no signatures in " << SignatureFile();
        for (const auto& [seconds, expected] : signatures) {
            const std::vector<int> actual = Signature(FrameName(capture, FrameAt(seconds)));
            ASSERT_EQ(actual.size(), expected.size()) << seconds << " s";
            // Another machine's OpenGL may round a little differently: the
            // cells may stray a little, a few of them further.
            double total = 0.0;
            int far = 0;
            for (size_t i = 0; i < actual.size(); ++i) {
                const int difference = std::abs(actual[i] - expected[i]);
                total += difference;
                far += difference > 40;
            }
            EXPECT_LT(total / actual.size(), 6.0) << "the frame at " << seconds << " s looks different";
            EXPECT_LT(far, static_cast<int>(actual.size() / 20)) << "the frame at " << seconds << " s looks different";
        }
    }

    // The sound: the stream over the title and the close, the tune between.
    std::vector<int16_t> samples;
    int rate = 0, channels = 0;
    ASSERT_TRUE(ReadWav(capture + "/audio.wav", samples, rate, channels));
    ASSERT_EQ(channels, 2);
    // Half a second from the given second of the show; the mix runs on
    // through the hold, as the show's clock does.
    auto loudness = [&](double seconds) {
        return Rms(samples, static_cast<size_t>(seconds * rate), static_cast<size_t>(rate) / 2);
    };
    for (double t = 0.5; t < 7.0; t += 0.5) EXPECT_GT(loudness(t), 1000.0) << "the stream at " << t << " s";
    for (double t = kTuneStart + 0.5; t < kTuneStop - 0.5; t += 0.5) EXPECT_GT(loudness(t), 1000.0) << "the tune at " << t << " s";
    for (double t = kCloseStart + 0.5; t < kCloseStart + 6.5; t += 0.5) EXPECT_GT(loudness(t), 1000.0) << "the stream at " << t << " s";

    // Filmed by velmora-capture at the same rate: as long as the player's own
    // play-through, held beat and closing pause included, picture and sound
    // alike, and the same mix.
    const std::string film = show + "/film";
    ProgramResult filmed = RunProgram(VELMORA_CAPTURE_PROGRAM,
                                      {kShow, film, "--frames-only", "--fps", std::to_string(kFps), "--size", "64x48"},
                                      show, {}, 600.0);
    ASSERT_TRUE(filmed.finished);
    ASSERT_EQ(filmed.exitStatus, 0) << filmed.standardError;
    size_t filmFrames = 0;
    for (const auto& entry : fs::directory_iterator(film)) filmFrames += entry.path().extension() == ".png";
    std::vector<int16_t> filmSamples;
    ASSERT_TRUE(ReadWav(film + "/audio.wav", filmSamples, rate, channels));
    EXPECT_EQ(filmSamples, samples) << "the film's mix is not the player's";
    const double frameSamples = 2.0 * rate / kFps;  // stereo samples a frame
    EXPECT_NEAR(static_cast<double>(filmFrames), static_cast<double>(samples.size()) / frameSamples, 1.0)
        << "the film is not as long as the show";
}

}  // namespace
