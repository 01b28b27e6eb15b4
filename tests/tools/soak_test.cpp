// The soak: its show, read by the player's own reader, performs every kind of
// timeline action in one minute with everything it names found in the
// archive, and the program prints a row of figures per show minute that shows
// every texture and file given back after each run.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_archive.h"
#include "diag/memory_counters.h"
#include "memory_sample.h"
#include "music/music_player.h"
#include "qxcheck/script_check.h"
#include "scene/scene.h"
#include "show/play_script.h"
#include "soak_show.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "support/run_program.h"

using namespace velmora::testing;

namespace {

std::vector<uint8_t> MusicTestMp3() {
    std::ifstream in(VELMORA_MUSIC_DATA "/house_lo.mp3", std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class SoakShowTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder = MakeTempDirectory();
        char here[4096];
        previous = getcwd(here, sizeof here) ? here : "/";
    }
    void TearDown() override {
        for (int i = 0; i < sceneCount && scenes; ++i) FreeScene(&scenes[i]);
        std::free(scenes);
        for (int i = 0; i < musicTrackCount && musicTracks; ++i) std::free(musicTracks[i].fileName);
        std::free(musicTracks);
        LoadDataArchive("");
        EXPECT_EQ(chdir(previous.c_str()), 0);
        std::filesystem::remove_all(folder);
        EngineTest::TearDown();
    }

    std::string folder;
    std::string previous;
};

TEST_F(SoakShowTest, ArchiveAloneHoldsAShowThatPerformsEveryActionInAMinute) {
    const std::vector<uint8_t> mp3 = MusicTestMp3();
    ASSERT_FALSE(mp3.empty());
    std::string why;
    ASSERT_TRUE(velmora::tools::WriteSoakShow(folder, mp3, why)) << why;
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        written.push_back(entry.path().filename().string());
    EXPECT_EQ(written, std::vector<std::string>{"MORVAST.QXD"});

    ASSERT_EQ(chdir(folder.c_str()), 0);
    LoadDataArchive("MORVAST.QXD");
    velmora::tools::ScriptCheck check;
    ASSERT_TRUE(velmora::tools::CheckPlayScript("MORVAST.QXP", check, why)) << why;
    EXPECT_EQ(check.warnings, 0) << velmora::tools::FormatScriptCheck(check);

    // Read by the player: every scene and track loads from the archive.
    textureAllocationCounter = 0;
    char name[] = "MORVAST.QXP";
    ASSERT_EQ(ReadPlayScript(name, nullptr), 1);
    ASSERT_EQ(sceneCount, 3);
    for (int i = 0; i < sceneCount; ++i) EXPECT_GT(scenes[i].frameCount, 0) << "scene " << i + 1;
    ASSERT_EQ(musicTrackCount, 3);
    for (int i = 0; i < musicTrackCount; ++i) EXPECT_NE(musicTracks[i].handle, nullptr) << "track " << i + 1;
    // The five textures, one of each format, and the every-node scene's
    // three once more, as its second load line reads it again.
    EXPECT_EQ(textureAllocationCounter, 8);

    std::set<int32_t> kinds;
    int32_t last = 0;
    for (const Action* action = actionList.next; action; action = action->next) {
        kinds.insert(action->type);
        last = action->time;
    }
    EXPECT_EQ(kinds, (std::set<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(last, velmora::tools::kShowSeconds * 1000);
}

TEST_F(SoakShowTest, ScriptWithoutTheMp3LeavesItsTrackOut) {
    const std::string script = velmora::tools::SoakScript(false);
    EXPECT_NE(script.find("[Music][00] 2\r\n"), std::string::npos);
    EXPECT_EQ(script.find("house.mp3"), std::string::npos);
    EXPECT_EQ(script.find("[Music][03]"), std::string::npos);
    // Every line ends in CR LF, with no blank line, as the reader needs.
    EXPECT_EQ(script.find("\r\n\r\n"), std::string::npos);
    EXPECT_EQ(script.substr(script.size() - 2), "\r\n");
    for (size_t at = script.find('\n'); at != std::string::npos; at = script.find('\n', at + 1))
        EXPECT_EQ(script[at - 1], '\r');
}

TEST(SoakMemorySampleTest, TellsTheResidentMemoryAndTheCounters) {
    textureMemoryCounter = 327680;
    fileMemoryCounter = 96;
    const velmora::tools::MemorySample sample = velmora::tools::SampleMemory();
    EXPECT_GT(sample.residentKb, 1000);  // a process of this size holds more than a megabyte
    EXPECT_GT(sample.heapInUse, 0);
    EXPECT_EQ(sample.texture, 327680);
    EXPECT_EQ(sample.file, 96);
    textureMemoryCounter = fileMemoryCounter = 0;
}

// The program's rows: minute, rss, heap, textures left, the five counters,
// the total, live texture bytes and textures decoded.
std::vector<std::vector<long long>> Rows(const std::string& output) {
    std::vector<std::vector<long long>> rows;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<long long> row;
        long long value;
        while (fields >> value) row.push_back(value);
        if (row.size() == 11 && fields.eof()) rows.push_back(row);
    }
    return rows;
}

TEST(SoakProgramTest, PrintsAFlatRowPerShowMinute) {
    const std::string folder = MakeTempDirectory();
    const std::string out = folder + "/out.txt";
    ProgramResult result = RunProgram(
        "/bin/sh", {"-c", std::string("\"") + VELMORA_SOAK_PROGRAM + "\" 3 --draw null --fps 20 > " + out}, folder,
        {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"VELMORA_LOG", ""}}, 120.0);
    ASSERT_TRUE(result.finished);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    std::ifstream in(out);
    const std::string output{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto rows = Rows(output);
    ASSERT_EQ(rows.size(), 3u) << output;
    for (size_t m = 0; m < rows.size(); ++m) {
        SCOPED_TRACE(m + 1);
        EXPECT_EQ(rows[m][0], static_cast<long long>(m + 1));
        EXPECT_EQ(rows[m][3], 0);                 // no texture left in the cache
        EXPECT_EQ(rows[m][7], rows[0][7]);        // the file counter holds only the directory
        EXPECT_EQ(rows[m][9], 0);                 // no pixels left
        EXPECT_EQ(rows[m][10], 8 * static_cast<long long>(m + 1));  // the show's textures decoded anew each run
        // The totals grow by one show's worth a minute.
        EXPECT_EQ(rows[m][4], rows[0][4] * static_cast<long long>(m + 1));
    }
    EXPECT_NE(output.find("since minute 2"), std::string::npos);
    // The show was made elsewhere and taken away again: the folder holds only the output.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), std::filesystem::directory_iterator()), 1);
    std::filesystem::remove_all(folder);
}

TEST(SoakProgramTest, RefusesABadArgumentInOneLine) {
    for (const char* bad : {"0", "many", "--fps"}) {
        SCOPED_TRACE(bad);
        ProgramResult result = RunProgram(VELMORA_SOAK_PROGRAM, {bad}, "/", {}, 30.0);
        ASSERT_TRUE(result.finished);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1)
            << result.standardError;
    }
    ProgramResult result = RunProgram(VELMORA_SOAK_PROGRAM, {"2", "--draw", "vulkan"}, "/", {}, 30.0);
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(result.standardError, "velmora_soak: --draw takes opengl or null, not 'vulkan'\n");
}

}  // namespace
