// The include check on made-up source trees: it must pass the stand-ins' API
// and refuse their internals and the back ends in every engine folder.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_files.h"

namespace {

struct CheckResult {
    int status = -1;
    std::string output;
};

class EngineIncludesTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = velmora::testing::MakeTempDirectory();
        ASSERT_FALSE(root.empty());
        // An engine that keeps to the rules.
        Write("app/win_main.cpp",
              "#include <cstring>\n#include \"app/engine_state.h\"\n"
              "#include \"platform/win32/windows.h\"\n");
        Write("render/display.h", "#include \"platform/ddraw/d3d.h\"\n#include \"platform/ddraw/ddraw.h\"\n");
        Write("scene/scene.h", "#  include <platform/ddraw/d3dtypes.h>\n");
        Write("music/music_player.cpp", "#include \"platform/fmod/fmod.h\"\n");
        // The platform may include its own headers on its floor and below.
        Write("platform/win32/entry_main.cpp",
              "#include \"platform/ddraw/display_objects.h\"\n#include \"platform/sdl/sdl_keys.h\"\n");
    }
    void Write(const std::string& path, const std::string& text) {
        std::filesystem::create_directories(std::filesystem::path(root + "/" + path).parent_path());
        std::ofstream(root + "/" + path) << text;
    }
    // With tools, the tools folder root/tools.d is checked as well.
    CheckResult Check(bool tools = false) {
        std::string out = root + "/check.out";
        std::string command = std::string("sh '") + ENGINE_INCLUDE_CHECK + "' '" + root + "'" +
                              (tools ? " '" + root + "/tools.d'" : "") + " > '" + out + "' 2>&1";
        int raw = std::system(command.c_str());
        CheckResult result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.output = velmora::testing::ReadFile(out);
        return result;
    }
    std::string root;
};

TEST_F(EngineIncludesTest, ThePublicApiHeadersPass) {
    CheckResult result = Check();
    EXPECT_EQ(result.status, 0) << result.output;
}

TEST_F(EngineIncludesTest, EveryInternalHeaderOfAStandInIsRefused) {
    for (const char* header :
         {"\"platform/backend/frame_clock.h\"", "\"platform/win32/window_table.h\"",
          "\"platform/win32/message_queue.h\"", "\"platform/win32/dialog_controls.h\"",
          "\"platform/ddraw/objects.h\"", "\"platform/backend/lent_pixels.h\"",
          "\"platform/ddraw/matrix_math.h\"", "\"platform/ddraw/pixel_format.h\"",
          "\"platform/ddraw/display_objects.h\"", "\"platform/backend/render_device.h\"",
          "\"platform/sdl/sdl_window_system.h\"", "\"platform/gl/gl_render_device.h\"",
          "\"platform/null/null_window_system.h\"", "\"platform/capture/frame_capture.h\"",
          "\"platform/setup/platform_settings.h\"", "<platform/backend/frame_clock.h>",
          "\"platform/win32/windows.hpp\"", "\"../platform/backend/frame_clock.h\""}) {
        Write("render/present.cpp", std::string("#include \"render/display.h\"\n#include ") + header + "\n");
        CheckResult result = Check();
        EXPECT_EQ(result.status, 1) << header;
        EXPECT_NE(result.output.find("render/present.cpp:2:"), std::string::npos)
            << header << " not named in:\n" << result.output;
    }
}

TEST_F(EngineIncludesTest, EachEngineFolderIsChecked) {
    for (const char* folder :
         {"app", "diag", "data", "show", "scene", "render", "texture", "music", "state", "math"}) {
        SetUp();
        Write(std::string(folder) + "/leak.h", "#include \"platform/win32/message_queue.h\"\n");
        EXPECT_EQ(Check().status, 1) << folder;
    }
}

// The process entry installs the platform, as the start-up code would; no
// other engine file may reach the chooser.
TEST_F(EngineIncludesTest, OnlyTheProcessEntryIncludesThePlatformChooser) {
    Write("app/main.cpp", "#include \"platform/setup/platform_settings.h\"\n");
    EXPECT_EQ(Check().status, 0) << Check().output;
    Write("app/run_show.cpp", "#include \"platform/setup/platform_settings.h\"\n");
    CheckResult result = Check();
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("app/run_show.cpp:1:"), std::string::npos) << result.output;
    EXPECT_EQ(result.output.find("app/main.cpp"), std::string::npos) << result.output;
}

// The floors of the house: the entry and run sequence, the show, the
// renderer, the loaders, the ground floor. Down is allowed, up is not.
TEST_F(EngineIncludesTest, AnEngineIncludeThatRunsUpAFloorIsRefused) {
    Write("render/scene_renderer.cpp", "#include \"scene/scene.h\"\n#include \"texture/texture_cache.h\"\n");
    Write("scene/scene.cpp", "#include \"texture/texture_cache.h\"\n#include \"state/engine_state.h\"\n");
    Write("state/engine_state.cpp", "#include \"diag/log.h\"\n");
    EXPECT_EQ(Check().status, 0) << Check().output;
    for (const auto& [file, header] : std::vector<std::pair<std::string, std::string>>{
             {"scene/scene.cpp", "show/timeline.h"},
             {"texture/texture_cache.cpp", "render/display.h"},
             {"state/engine_state.cpp", "music/music_player.h"},
             {"show/main_loop.cpp", "app/run_show.h"},
             {"diag/log.cpp", "data/memory_file.h\"\n#include \"scene/scene.h"}}) {
        SetUp();
        Write(file, "#include \"" + header + "\"\n");
        CheckResult result = Check();
        EXPECT_EQ(result.status, 1) << file << " including " << header;
        EXPECT_NE(result.output.find("stands above it"), std::string::npos) << result.output;
    }
}

TEST_F(EngineIncludesTest, ThePlatformIncludesNoEngineAndPointsDown) {
    Write("platform/setup/platform_settings.cpp",
          "#include \"platform/sdl/sdl_window_system.h\"\n#include \"platform/ddraw/display_objects.h\"\n");
    Write("platform/ddraw/objects.h", "#include \"platform/capture/frame_capture.h\"\n"
                                      "#include \"platform/win32/windows.h\"\n");
    Write("platform/gl/gl_render_device.cpp", "#include \"platform/backend/render_device.h\"\n");
    EXPECT_EQ(Check().status, 0) << Check().output;

    Write("platform/win32/messages.cpp", "#include \"state/engine_state.h\"\n");
    CheckResult engine = Check();
    EXPECT_EQ(engine.status, 1);
    EXPECT_NE(engine.output.find("platform/win32/messages.cpp:1:"), std::string::npos) << engine.output;
    EXPECT_NE(engine.output.find("may not include the engine"), std::string::npos) << engine.output;

    for (const auto& [file, header] : std::vector<std::pair<std::string, std::string>>{
             {"platform/sdl/sdl_window_system.h", "platform/setup/platform_settings.h"},
             {"platform/capture/frame_capture.cpp", "platform/win32/windows.h"},
             {"platform/backend/sound.h", "platform/audio/native_stream.h"},
             {"platform/fmod/sound_library.cpp", "platform/setup/platform_settings.h"}}) {
        SetUp();
        Write(file, "#include \"" + header + "\"\n");
        CheckResult result = Check();
        EXPECT_EQ(result.status, 1) << file << " including " << header;
        EXPECT_NE(result.output.find(file + ":1:"), std::string::npos) << result.output;
    }
}

TEST_F(EngineIncludesTest, BackEndLibrariesAreRefused) {
    for (const char* header : {"<SDL.h>", "<SDL2/SDL.h>", "<GL/gl.h>", "<epoxy/gl.h>", "<gtk/gtk.h>",
                               "<FreeImage.h>", "<assimp/scene.h>"}) {
        Write("show/main_loop.cpp", std::string("#include ") + header + "\n");
        EXPECT_EQ(Check().status, 1) << header;
    }
}

// The texture loaders speak to the picture decoder's API, never to the
// library behind it.
TEST_F(EngineIncludesTest, TheTextureLoadersReachTheImageLibraryOnlyThroughItsApi) {
    Write("texture/image_loaders.cpp", "#include \"platform/image/picture_decoder.h\"\n");
    EXPECT_EQ(Check().status, 0) << Check().output;
    Write("texture/image_loaders.cpp", "#include <FreeImage.h>\n");
    CheckResult result = Check();
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.output.find("texture/image_loaders.cpp:1:"), std::string::npos) << result.output;
    Write("texture/image_loaders.cpp", "#include \"platform/image/png_writer.h\"\n");
    EXPECT_EQ(Check().status, 1) << "the PNG writer is no part of the decoder's API";
}

TEST_F(EngineIncludesTest, AToolReachesThePlatformOnlyAsAProgramDoes) {
    Write("tools.d/capture/show_run.cpp",
          "#include \"app/run_show.h\"\n#include \"platform/setup/platform_settings.h\"\n"
          "#include \"platform/setup/display_report.h\"\n#include \"platform/ddraw/display_objects.h\"\n"
          "#include \"platform/capture/frame_writer.h\"\n#include \"platform/backend/frame_clock.h\"\n");
    // The programs that draw with OpenGL themselves reach its back end.
    Write("tools.d/qxvis/visibility_generator.cpp",
          "#include \"platform/sdl/sdl_window_system.h\"\n#include \"platform/gl/gl_render_device.h\"\n");
    EXPECT_EQ(Check(true).status, 0) << Check(true).output;
    EXPECT_EQ(Check(false).status, 0) << "without a tools folder, tools are not looked at";

    for (const auto& [file, header] : std::vector<std::pair<std::string, std::string>>{
             {"tools.d/capture/show_run.cpp", "platform/gl/gl_render_device.h"},
             {"tools.d/render_bench/render_bench.cpp", "platform/win32/window_table.h"},
             {"tools.d/qxcheck/qxcheck.cpp", "platform/sdl/sdl_window_system.h"},
             {"tools.d/soak/velmora_soak.cpp", "platform/ddraw/objects.h"},
             {"tools.d/qxvis/qxvis_check.cpp", "platform/null/null_window_system.h"}}) {
        SetUp();
        Write(file, "#include \"" + header + "\"\n");
        CheckResult result = Check(true);
        EXPECT_EQ(result.status, 1) << file << " including " << header;
        EXPECT_NE(result.output.find(file + ":1:"), std::string::npos) << result.output;
        EXPECT_NE(result.output.find("what a program needs"), std::string::npos) << result.output;
    }
}

}  // namespace
