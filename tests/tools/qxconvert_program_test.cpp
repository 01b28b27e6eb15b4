// The qxconvert program: the files it writes into a show folder, the
// script it starts the show with, and its refusals, which leave nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;

namespace {

const std::string kModels = QXCONVERT_MODELS;

ProgramResult Qxconvert(const std::vector<std::string>& arguments, const std::string& directory) {
    return RunProgram(QXCONVERT_PROGRAM, arguments, directory, {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 120.0);
}

std::vector<std::string> Entries(const std::string& directory) {
    std::vector<std::string> names;
    std::error_code failure;
    for (const auto& entry : std::filesystem::directory_iterator(directory, failure))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

size_t Lines(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(QxconvertProgram, WritesSceneVisibilityTexturesAndAStarterScriptThePlayerReads) {
    std::string work = MakeTempDirectory();
    ProgramResult result = Qxconvert({kModels + "/stage.glb", "-o", "show"}, work);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardError, "");
    std::string show = work + "/show";
    // Nothing else: no staging folder or temporary left.
    EXPECT_EQ(Entries(show),
              (std::vector<std::string>{"MORVAST.QXP", "marker.png", "stage.QX3", "stage.VIS", "window.png"}));
    // One camera, 61 frames, three objects of one part: a byte each.
    EXPECT_EQ(std::filesystem::file_size(show + "/stage.VIS"), 61u * 3u);

    // qxcheck reads the script with the player's reader, loading the scene.
    ProgramResult checked = RunProgram(QXCHECK_PROGRAM, {"MORVAST.QXP"}, show, {}, 60.0);
    EXPECT_EQ(checked.exitStatus, 0) << ReadFile(show + "/MORVAST.QXP");
    ProgramResult info = RunProgram(QXINFO_PROGRAM, {"stage.QX3"}, show, {}, 60.0);
    EXPECT_EQ(info.exitStatus, 0);

    // A second conversion into the folder (two frames this time) keeps the
    // show maker's script and replaces the rest.
    std::ofstream(show + "/MORVAST.QXP", std::ios::binary) << "' mine\r\n";
    result = Qxconvert({kModels + "/stage.glb", "-o", show, "--frames", "0-1"}, work);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(ReadFile(show + "/MORVAST.QXP"), "' mine\r\n");
    EXPECT_EQ(std::filesystem::file_size(show + "/stage.VIS"), 2u * 3u);
}

TEST(QxconvertProgram, WhatTheFormatCannotHoldIsSaidOnceEach) {
    std::string work = MakeTempDirectory();
    ProgramResult result = Qxconvert({kModels + "/cubes_with_alpha.3DS"}, work);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardError,
              "qxconvert: texture BERETTA_.JPG is missing; its parts are drawn in their colour\n");
    EXPECT_TRUE(FileExists(work + "/cubes_with_alpha.QX3"));  // the current folder by default
    result = Qxconvert({kModels + "/simple_skin.gltf", "-o", "skin"}, work);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardError, "qxconvert: skinned meshes are taken in their rest pose\n");
}

TEST(QxconvertProgram, RefusalsAreOneLineWithStatusTwoAndLeaveNoFiles) {
    std::string work = MakeTempDirectory();
    std::ofstream(work + "/plain") << "a file, not a folder";
    const std::vector<std::vector<std::string>> refused = {
        {},
        {kModels + "/stage.glb", kModels + "/stage.glb"},
        {kModels + "/stage.glb", "--fps"},
        {kModels + "/stage.glb", "--fps", "0", "-o", "out"},
        {kModels + "/stage.glb", "--fps", "abc", "-o", "out"},
        {kModels + "/stage.glb", "--frames", "9-3", "-o", "out"},
        {kModels + "/stage.glb", "--frames", "-3", "-o", "out"},
        {kModels + "/stage.glb", "--scale", "-1", "-o", "out"},
        {kModels + "/stage.glb", "--colour", "red", "-o", "out"},
        {kModels + "/stage.glb", "--fps", "1000", "--frames", "0-200000", "-o", "out"},
        {kModels + "/stage.glb", "--seconds"},
        {kModels + "/stage.glb", "--seconds", "0", "-o", "out"},
        {kModels + "/stage.glb", "--seconds", "-5", "-o", "out"},
        {kModels + "/stage.glb", "--seconds", "ten", "-o", "out"},
        {kModels + "/stage.glb", "--seconds", "1e3", "-o", "out"},
        {kModels + "/stage.glb", "--seconds", "10", "--frames", "0-9", "-o", "out"},
        {kModels + "/stage.glb", "--fps", "1000", "--seconds", "1000", "-o", "out"},
        {kModels + "/invalid/malformed.obj", "-o", "out"},
        {kModels + "/invalid/empty.ase", "-o", "out"},
        {kModels + "/invalid/OutOfMemory.off", "-o", "out"},
        {kModels + "/missing.glb", "-o", "out"},
        {kModels, "-o", "out"},
        {kModels + "/stage.glb", "-o", "plain"},
        {kModels + "/stage.glb", "-o", "plain/show"},
    };
    for (const std::vector<std::string>& arguments : refused) {
        std::string shown;
        for (const std::string& argument : arguments) shown += argument + " ";
        ProgramResult result = Qxconvert(arguments, work);
        ASSERT_TRUE(result.finished) << shown;
        EXPECT_EQ(result.exitStatus, 2) << shown;
        EXPECT_EQ(Lines(result.standardError), 1u) << shown << result.standardError;
        EXPECT_EQ(result.standardError.rfind("qxconvert: ", 0), 0u) << shown << result.standardError;
        EXPECT_EQ(Entries(work), std::vector<std::string>{"plain"}) << shown;
    }
}

TEST(QxconvertProgram, AStillModelBecomesATenSecondOrbitTheCheckerFindsNothingIn) {
    std::string work = MakeTempDirectory();
    ProgramResult result = Qxconvert({kModels + "/BoxTextured.glb", "--seconds", "10", "--orbit", "-o", "show"}, work);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    EXPECT_EQ(result.standardError, "");
    EXPECT_NE(result.standardOutput.find("300 frames at 30 a second"), std::string::npos) << result.standardOutput;
    EXPECT_NE(result.standardOutput.find("1 camera (one circling the scene)"), std::string::npos)
        << result.standardOutput;
    // Ten seconds: played once, no loop.
    const std::string script = ReadFile(work + "/show/MORVAST.QXP");
    EXPECT_NE(script.find("[QX3][01][Camera] 0 300 Orbit 0 0 100 0 FALSE\r\n"), std::string::npos) << script;
    EXPECT_NE(script.find("[QX3][01][Play] 0.000 FALSE\r\n"), std::string::npos) << script;
    ProgramResult checked = RunProgram(QXCHECK_PROGRAM, {"MORVAST.QXP"}, work + "/show", {}, 60.0);
    EXPECT_EQ(checked.exitStatus, 0) << checked.standardOutput;
    EXPECT_NE(checked.standardOutput.find("no warnings\n"), std::string::npos);
    // The one frame of the still model, said once by qxinfo; ten seconds of it here.
    result = Qxconvert({kModels + "/BoxTextured.glb", "-o", "still"}, work);
    ASSERT_EQ(result.exitStatus, 0) << result.standardError;
    ProgramResult info = RunProgram(QXINFO_PROGRAM, {"BoxTextured.QX3"}, work + "/still", {}, 60.0);
    EXPECT_NE(info.standardOutput.find("frames: 1\nambient: 0x"), std::string::npos) << info.standardOutput;
}

TEST(QxconvertProgram, AFrameRangeTooLongIsSaidWithTheLimit) {
    std::string work = MakeTempDirectory();
    const std::vector<std::pair<std::string, std::string>> ranges = {
        {"0-2147483647", "qxconvert: --frames 0-2147483647 is 2147483648 frames, more than the 100000 a scene "
                         "is given\n"},
        {"5-100005", "qxconvert: --frames 5-100005 is 100001 frames, more than the 100000 a scene is given\n"},
        {"0-99999999999999999999999", "qxconvert: --frames 0-99999999999999999999999 is 1000000000000000001 "
                                      "frames, more than the 100000 a scene is given\n"},
        {"0-9x", "qxconvert: --frames takes FIRST-LAST, whole frames, such as 0-90\n"},
    };
    for (const auto& [range, says] : ranges) {
        ProgramResult result = Qxconvert({kModels + "/stage.glb", "--frames", range, "-o", "out"}, work);
        EXPECT_EQ(result.exitStatus, 2) << range;
        EXPECT_EQ(result.standardError, says);
        EXPECT_TRUE(Entries(work).empty()) << range;
    }
    // Frame numbers far from 0 are taken when the range is short.
    ProgramResult result =
        Qxconvert({kModels + "/stage.glb", "--fps", "1000", "--frames", "4000000000-4000000001", "-o", "out"}, work);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
}

}  // namespace
