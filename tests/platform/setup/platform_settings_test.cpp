// The platform settings: what each switch reads as, and what installing a
// record puts in place.
#include <gtest/gtest.h>


#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "platform/backend/render_device.h"
#include "platform/null/null_window_system.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/windows.h"
#include "support/temp_files.h"

using namespace velmora::platform;

namespace {

class PlatformSettingsTest : public ::testing::Test {
protected:
    void TearDown() override { UninstallPlatform(); }

    // Reads the settings from the variables given and nothing else.
    bool Read(const std::map<std::string, std::string>& variables) {
        error.clear();
        return ReadPlatformSettings(
            [&variables](const char* name) -> const char* {
                auto found = variables.find(name);
                return found == variables.end() ? nullptr : found->second.c_str();
            },
            settings, error);
    }

    PlatformSettings settings;
    std::string error;
};

TEST_F(PlatformSettingsTest, NoSwitchesMeansThePlainProgram) {
    settings.log = settings.windowed = settings.virtualClock = true;  // overwritten whole
    ASSERT_TRUE(Read({}));
    EXPECT_FALSE(settings.log);
    EXPECT_FALSE(settings.statistics);
    EXPECT_FALSE(settings.windowed);
    EXPECT_EQ(settings.captureDirectory, "");
    EXPECT_FALSE(settings.virtualClock);
    EXPECT_EQ(settings.windowSystem, WindowBackEnd::Sdl);
    EXPECT_EQ(settings.renderDevice, RenderBackEnd::OpenGl);
    EXPECT_EQ(settings.videoDriver, VideoDriver::Offscreen);  // no display named
}

TEST_F(PlatformSettingsTest, OnlyOneSwitchesOn) {
    for (const char* name : {"VELMORA_LOG", "VELMORA_STATS", "VELMORA_WINDOWED", "VELMORA_DEVDIALOG"}) {
        ASSERT_TRUE(Read({{name, "1"}}));
        EXPECT_EQ(settings.developerDialog, std::string(name) == "VELMORA_DEVDIALOG") << name;
        EXPECT_EQ(settings.log, std::string(name) == "VELMORA_LOG") << name;
        EXPECT_EQ(settings.statistics, std::string(name) == "VELMORA_STATS") << name;
        EXPECT_EQ(settings.windowed, std::string(name) == "VELMORA_WINDOWED") << name;
        for (const char* off : {"", "0", "yes", "true", "1 ", "01", "2"}) {
            ASSERT_TRUE(Read({{name, off}})) << name << "=" << off;
            EXPECT_FALSE(settings.log || settings.statistics || settings.windowed || settings.developerDialog)
                << name << "=\"" << off << '"';
        }
    }
}

TEST_F(PlatformSettingsTest, CaptureFolderIsTakenAsGiven) {
    ASSERT_TRUE(Read({{"VELMORA_CAPTURE", "out/frames dir"}}));
    EXPECT_EQ(settings.captureDirectory, "out/frames dir");
    ASSERT_TRUE(Read({{"VELMORA_CAPTURE", ""}}));
    EXPECT_EQ(settings.captureDirectory, "");
}

// The per-user folders follow the XDG base directory rules: the variable when
// it is an absolute path, else the default under HOME, else none.
TEST_F(PlatformSettingsTest, PerUserFoldersComeFromXdgVariablesOrTheHome) {
    ASSERT_TRUE(Read({{"HOME", "/home/ann"}}));
    EXPECT_EQ(settings.configHome, "/home/ann/.config");
    EXPECT_EQ(settings.stateHome, "/home/ann/.local/state");
    ASSERT_TRUE(Read({{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "/c"}, {"XDG_STATE_HOME", "/s t"}}));
    EXPECT_EQ(settings.configHome, "/c");
    EXPECT_EQ(settings.stateHome, "/s t");
    ASSERT_TRUE(Read({{"HOME", "/home/ann"}, {"XDG_CONFIG_HOME", "relative"}, {"XDG_STATE_HOME", ""}}));
    EXPECT_EQ(settings.configHome, "/home/ann/.config");
    EXPECT_EQ(settings.stateHome, "/home/ann/.local/state");
    ASSERT_TRUE(Read({{"HOME", "not/absolute"}}));
    EXPECT_EQ(settings.configHome, "");
    EXPECT_EQ(settings.stateHome, "");
    ASSERT_TRUE(Read({}));
    EXPECT_EQ(settings.configHome, "");
}

TEST_F(PlatformSettingsTest, ClassicDrawingIsChosenPartByPartOrAllAtOnce) {
    auto classic = [&] {
        return std::string(settings.classicDepth ? "d" : "") + (settings.classicBlending ? "b" : "") +
               (settings.classicSampling ? "s" : "") + (settings.classicGeometry ? "g" : "");
    };
    ASSERT_TRUE(Read({}));
    EXPECT_EQ(classic(), "");
    const std::pair<const char*, const char*> cases[] = {
        {"depth", "d"},         {"blending", "b"},        {"sampling", "s"},       {"geometry", "g"},
        {"all", "dbsg"},        {"depth,geometry", "dg"}, {"sampling,,blending", "bs"},
        {"Depth", ""},          {"depth ", ""},           {"", ""},                {"classic", ""},
        {"depth,nonsense", "d"},
    };
    for (const auto& [value, chosen] : cases) {
        ASSERT_TRUE(Read({{"VELMORA_GL_CLASSIC", value}}));
        EXPECT_EQ(classic(), chosen) << '"' << value << '"';
    }
}

TEST_F(PlatformSettingsTest, FrameRateSwitchChoosesTheVirtualClock) {
    ASSERT_TRUE(Read({{"VELMORA_FPS", "59.94"}}));
    EXPECT_TRUE(settings.virtualClock);
    EXPECT_EQ(settings.frameRate.numerator, 5994u);
    EXPECT_EQ(settings.frameRate.denominator, 100u);
    for (const char* bad : {"0", "-5", "fast", "", "30 "}) {
        EXPECT_FALSE(Read({{"VELMORA_FPS", bad}, {"VELMORA_LOG", "1"}})) << bad;
        EXPECT_NE(error.find("VELMORA_FPS"), std::string::npos) << error;
        EXPECT_NE(error.find(std::string("\"") + bad + "\""), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
    }
}

TEST_F(PlatformSettingsTest, SdlGoesOffscreenAtOnceOnlyWithoutADisplayOrAForcedDriver) {
    struct Case {
        const char *display, *wayland, *driver;
        VideoDriver expected;
    } cases[] = {
        {nullptr, nullptr, nullptr, VideoDriver::Offscreen},
        {"", "", "", VideoDriver::Offscreen},
        {":0", nullptr, nullptr, VideoDriver::Display},
        {nullptr, "wayland-0", nullptr, VideoDriver::Display},
        {"", nullptr, "x11", VideoDriver::Display},
        {nullptr, nullptr, "offscreen", VideoDriver::Display},  // SDL takes the forced one itself
    };
    for (const Case& c : cases) {
        std::map<std::string, std::string> variables;
        if (c.display) variables["DISPLAY"] = c.display;
        if (c.wayland) variables["WAYLAND_DISPLAY"] = c.wayland;
        if (c.driver) variables["SDL_VIDEODRIVER"] = c.driver;
        ASSERT_TRUE(Read(variables));
        EXPECT_EQ(settings.videoDriver, c.expected)
            << (c.display ? c.display : "-") << " " << (c.wayland ? c.wayland : "-") << " "
            << (c.driver ? c.driver : "-");
    }
}

TEST_F(PlatformSettingsTest, InstallingPutsTheNamedBackEndsInPlace) {
    const std::string frames = velmora::testing::MakeTempDirectory() + "/frames";
    ASSERT_TRUE(Read({{"VELMORA_FPS", "25"}, {"VELMORA_CAPTURE", frames.c_str()}}));
    settings.windowSystem = WindowBackEnd::Null;
    InstallPlatform(settings);
    EXPECT_NE(dynamic_cast<NullWindowSystem*>(&CurrentWindowSystem()), nullptr);
    EXPECT_EQ(CurrentPlatformSettings().captureDirectory, frames);
    ASSERT_TRUE(VirtualClockInUse());
    EXPECT_EQ(timeGetTime(), 0u);  // the virtual clock starts at 0 ms
    for (int i = 0; i < 25; ++i) FramePresented();
    EXPECT_EQ(timeGetTime(), 1000u);

    ASSERT_TRUE(Read({{"DISPLAY", ":5"}}));
    InstallPlatform(settings);
    EXPECT_FALSE(VirtualClockInUse());
    EXPECT_NE(dynamic_cast<SdlWindowSystem*>(&CurrentWindowSystem()), nullptr);
    EXPECT_EQ(CurrentPlatformSettings().videoDriver, VideoDriver::Display);

    UninstallPlatform();
    EXPECT_NE(dynamic_cast<NullWindowSystem*>(&CurrentWindowSystem()), nullptr);
    EXPECT_FALSE(VirtualClockInUse());
    // The capture ended with its install: the second second of the virtual
    // clock, not the real clock's time since boot.
    std::error_code failed;
    const auto bytes = std::filesystem::file_size(frames + "/audio.wav", failed);
    EXPECT_FALSE(failed);
    EXPECT_GE(bytes, 44100u * 4);
    EXPECT_LT(bytes, 44100u * 4 + 1024);
}

TEST_F(PlatformSettingsTest, ARecordPutInForceLeavesTheBackEndsAlone) {
    InstallWindowSystem(std::make_unique<NullWindowSystem>());
    WindowSystem* installed = &CurrentWindowSystem();
    UseVirtualClock(FrameRate{50, 1}, 1000);
    ASSERT_TRUE(Read({{"VELMORA_WINDOWED", "1"}}));
    UsePlatformSettings(settings);
    EXPECT_TRUE(CurrentPlatformSettings().windowed);
    EXPECT_EQ(&CurrentWindowSystem(), installed);
    EXPECT_EQ(timeGetTime(), 1000u);

    // Reset: the process environment's record again, read once.
    ResetPlatformSettings();
    PlatformSettings fromEnvironment;
    std::string ignored;
    ReadPlatformSettings(fromEnvironment, ignored);
    EXPECT_EQ(CurrentPlatformSettings().windowed, fromEnvironment.windowed);
    EXPECT_EQ(CurrentPlatformSettings().captureDirectory, fromEnvironment.captureDirectory);
}

// A window system that can be told whether it offers OpenGL, and counts the asking.
class HostlessWindowSystem : public NullWindowSystem {
public:
    std::unique_ptr<GlHost> CreateGlHost(std::string& why) override {
        ++asked;
        why = refusal;
        return nullptr;
    }
    int asked = 0;
    std::string refusal;
};

TEST_F(PlatformSettingsTest, RenderDeviceChoice) {
    auto owned = std::make_unique<HostlessWindowSystem>();
    HostlessWindowSystem* system = owned.get();
    InstallWindowSystem(std::move(owned));

    // OpenGL asked for and refused with a reason: the null device, and the reason said once.
    system->refusal = "no OpenGL here";
    UsePlatformSettings(PlatformSettings{});
    ::testing::internal::CaptureStderr();
    std::unique_ptr<RenderDevice> device = OpenRenderDevice();
    std::string said = ::testing::internal::GetCapturedStderr();
    ASSERT_NE(device, nullptr);
    EXPECT_STREQ(device->Name(), "null");
    EXPECT_EQ(system->asked, 1);
    EXPECT_EQ(said, "velmora: no OpenGL here; nothing will be drawn\n");

    // A window system without OpenGL by design: quietly the null device.
    system->refusal.clear();
    ::testing::internal::CaptureStderr();
    device = OpenRenderDevice();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(device->Name(), "null");

    // The null device chosen: OpenGL is not even asked for.
    PlatformSettings nullDevice;
    nullDevice.renderDevice = RenderBackEnd::Null;
    UsePlatformSettings(nullDevice);
    system->refusal = "must not be asked";
    ::testing::internal::CaptureStderr();
    device = OpenRenderDevice();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(device->Name(), "null");
    EXPECT_EQ(system->asked, 2);
}

}  // namespace

namespace {

// A tool that plays offscreen reads the switches it names and no other, and
// starts SDL offscreen whatever the environment asked for.
TEST(OffscreenSettingsTest, OnlyTheNamedSwitchesAreRead) {
    const char* names[] = {"VELMORA_LOG", "VELMORA_STATS", "VELMORA_WINDOWED", "VELMORA_FPS",
                           "SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"};
    std::map<std::string, std::string> saved;
    for (const char* name : names)
        if (const char* value = std::getenv(name)) saved[name] = value;
    setenv("VELMORA_LOG", "1", 1);
    setenv("VELMORA_STATS", "1", 1);
    setenv("VELMORA_WINDOWED", "1", 1);
    setenv("VELMORA_FPS", "7", 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);

    const PlatformSettings settings = ReadOffscreenSettings({"VELMORA_LOG"});
    EXPECT_TRUE(settings.log);
    EXPECT_FALSE(settings.statistics);
    EXPECT_FALSE(settings.windowed);
    EXPECT_FALSE(settings.virtualClock) << "VELMORA_FPS was not named";
    // SDL is then started on the driver the variable names.
    EXPECT_STREQ(std::getenv("SDL_VIDEODRIVER"), "offscreen");
    EXPECT_TRUE(ReadOffscreenSettings({"VELMORA_LOG", "VELMORA_STATS"}).statistics);

    // A tool with a window opens it on the display there is, as the player does.
    unsetenv("SDL_VIDEODRIVER");
    setenv("DISPLAY", ":99", 1);
    EXPECT_EQ(ReadNamedSettings({"VELMORA_LOG"}).videoDriver, VideoDriver::Display);
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(ReadNamedSettings({"VELMORA_LOG"}).videoDriver, VideoDriver::Offscreen);

    for (const char* name : names) {
        auto found = saved.find(name);
        if (found == saved.end()) unsetenv(name);
        else setenv(name, found->second.c_str(), 1);
    }
}

}  // namespace
