// The example show of the show guide: the script printed in
// docs/show-format.md, typed in as written beside the files qxsample makes,
// plays to its end and draws; qxsample writes the same script.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;

namespace {

// The lines of the first fenced block after the guide's example-show heading.
std::vector<std::string> GuideExampleLines() {
    std::ifstream guide(VELMORA_SHOW_GUIDE);
    std::vector<std::string> lines;
    std::string line;
    bool inSection = false, inBlock = false;
    while (std::getline(guide, line)) {
        if (line.rfind("## ", 0) == 0) inSection = line == "## An example show";
        if (!inSection) continue;
        if (line.rfind("```", 0) == 0) {
            if (inBlock) break;
            inBlock = true;
            continue;
        }
        if (inBlock) lines.push_back(line);
    }
    return lines;
}

std::string Joined(const std::vector<std::string>& lines, const std::string& end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
}

// The share of a captured frame's pixels that are not black.
double LitShare(const std::string& path) {
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (!loaded) return -1.0;
    FIBITMAP* bitmap = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    const unsigned width = FreeImage_GetWidth(bitmap), height = FreeImage_GetHeight(bitmap);
    size_t lit = 0;
    for (unsigned y = 0; y < height; ++y) {
        const BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (unsigned x = 0; x < width; ++x)
            lit += row[x * 3] > 16 || row[x * 3 + 1] > 16 || row[x * 3 + 2] > 16;
    }
    FreeImage_Unload(bitmap);
    return static_cast<double>(lit) / (static_cast<double>(width) * height);
}

TEST(ExampleShowTest, TheGuidesExamplePlaysAndDraws) {
    const std::vector<std::string> example = GuideExampleLines();
    ASSERT_GE(example.size(), 5u) << "no example show in " << VELMORA_SHOW_GUIDE;
    const std::string show = MakeTempDirectory() + "/new/show";  // qxsample makes it
    ProgramResult made = RunProgram(QXSAMPLE_PROGRAM, {show}, "/", {}, 60.0);
    ASSERT_EQ(made.exitStatus, 0) << made.standardError;
    for (const char* name : {"MORVAST.QXD", "MORVAST.QXP", "cube.QX3", "cube.VIS", "cube.bmp"})
        EXPECT_TRUE(FileExists(show + "/" + name)) << name;
    for (const auto& entry : std::filesystem::directory_iterator(show))
        EXPECT_NE(entry.path().extension(), ".part") << entry.path();
    // qxsample's script is the guide's, with CR LF line ends.
    EXPECT_EQ(ReadFile(show + "/MORVAST.QXP"), Joined(example, "\r\n"));
    ProgramResult checked = RunProgram(QXCHECK_PROGRAM, {"MORVAST.QXP"}, show, {}, 60.0);
    EXPECT_EQ(checked.exitStatus, 0) << "qxcheck warns about the guide's example";

    // Typed in as written: an editor here saves LF line ends.
    std::ofstream(show + "/MORVAST.QXP", std::ios::binary) << Joined(example, "\n");
    std::filesystem::copy_file(VELMORA_PROGRAM, show + "/velmora");
    ProgramResult played = RunProgram(show + "/velmora", {}, show,
                                      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""},
                                       {"VELMORA_FPS", "30"}, {"VELMORA_CAPTURE", show + "/frames"}},
                                      120.0);
    ASSERT_TRUE(played.finished) << "the example show did not end by itself";
    EXPECT_EQ(played.exitStatus, 0) << played.standardError;
    // 90 scene frames at 30 a second, captured at 30 a second, and the frames
    // the unload and the end take.
    size_t frames = 0;
    for (const auto& entry : std::filesystem::directory_iterator(show + "/frames"))
        frames += entry.path().extension() == ".png";
    EXPECT_GE(frames, 90u);
    EXPECT_LE(frames, 95u);
    // The first pass draws nothing; in the middle the cube fills a good part of
    // the picture without filling it.
    EXPECT_LT(LitShare(show + "/frames/frame_000000.png"), 0.001);
    EXPECT_GT(LitShare(show + "/frames/frame_000045.png"), 0.1);
    EXPECT_LT(LitShare(show + "/frames/frame_000045.png"), 0.9);
}

TEST(ExampleShowTest, QxsampleRefusesBadArguments) {
    EXPECT_EQ(RunProgram(QXSAMPLE_PROGRAM, {}, "/", {}, 60.0).exitStatus, 2);
    const std::string file = MakeTempDirectory() + "/plain";
    std::ofstream(file) << "x";
    ProgramResult blocked = RunProgram(QXSAMPLE_PROGRAM, {file + "/show"}, "/", {}, 60.0);
    EXPECT_EQ(blocked.exitStatus, 2);
    EXPECT_NE(blocked.standardError.find("qxsample:"), std::string::npos);
}

}  // namespace
