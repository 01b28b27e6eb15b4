#include "platform/setup/platform_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/backend/text_rasterizer.h"
#include "platform/ddraw/display_objects.h"
#include "platform/fmod/sound_system.h"
#include "platform/gl/gl_render_device.h"
#include "platform/null/null_window_system.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/ttf/ttf_text.h"
#include "platform/win32/dialog_controls.h"
#include "platform/win32/module_control.h"
#include "platform/win32/window_table.h"

namespace velmora::platform {

namespace {

bool SwitchOn(const char* value) { return value && std::strcmp(value, "1") == 0; }
bool NotEmpty(const char* value) { return value && *value; }

// An XDG base folder: the variable when it holds an absolute path, else the
// default under the home folder, else none.
std::string BaseFolder(const char* variable, const char* home, const char* underHome) {
    if (variable && variable[0] == '/') return variable;
    if (home && home[0] == '/') return std::string(home) + underHome;
    return "";
}

std::optional<PlatformSettings>& Installed() {
    static std::optional<PlatformSettings> settings;
    return settings;
}

const PlatformSettings& FromEnvironment() {
    static const PlatformSettings settings = [] {
        PlatformSettings read;
        std::string ignored;
        if (!ReadPlatformSettings(read, ignored)) read.virtualClock = false;
        return read;
    }();
    return settings;
}

// What each stand-in takes from the record, handed to it: none of them reads
// the record itself.
void HandOptions(const PlatformSettings& settings) {
    DisplayOptions display;
    display.windowed = settings.windowed;
    display.extraModeWidth = settings.extraModeWidth;
    display.extraModeHeight = settings.extraModeHeight;
    display.capture.frameWriter = settings.frameWriter;
    display.capture.directory = settings.captureDirectory;
    // Only the virtual clock says how long each picture stood.
    display.capture.film = settings.filmCapture && settings.virtualClock;
    SetDisplayOptions(display);
    UseSoundDevice(settings.sound == SoundBackEnd::Sdl);
    UseUserFolders(settings.configHome, settings.stateHome);
    ShowHiddenDialogControls(settings.developerDialog);
}

std::unique_ptr<WindowSystem>& InstalledWindowSystem() {
    static std::unique_ptr<WindowSystem> system = std::make_unique<NullWindowSystem>();
    return system;
}

}  // namespace

bool ReadPlatformSettings(const EnvironmentLookup& lookup, PlatformSettings& settings,
                          std::string& error) {
    settings = PlatformSettings{};
    settings.log = SwitchOn(lookup("VELMORA_LOG"));
    settings.statistics = SwitchOn(lookup("VELMORA_STATS"));
    settings.windowed = SwitchOn(lookup("VELMORA_WINDOWED"));
    settings.developerDialog = SwitchOn(lookup("VELMORA_DEVDIALOG"));
    if (const char* classic = lookup("VELMORA_GL_CLASSIC")) {
        std::string words = classic;
        size_t from = 0;
        while (from <= words.size()) {
            size_t comma = words.find(',', from);
            if (comma == std::string::npos) comma = words.size();
            const std::string word = words.substr(from, comma - from);
            const bool all = word == "all";
            if (all || word == "depth") settings.classicDepth = true;
            if (all || word == "blending") settings.classicBlending = true;
            if (all || word == "sampling") settings.classicSampling = true;
            if (all || word == "geometry") settings.classicGeometry = true;
            from = comma + 1;
        }
    }
    const char* home = lookup("HOME");
    settings.configHome = BaseFolder(lookup("XDG_CONFIG_HOME"), home, "/.config");
    settings.stateHome = BaseFolder(lookup("XDG_STATE_HOME"), home, "/.local/state");
    const char* capture = lookup("VELMORA_CAPTURE");
    settings.captureDirectory = capture ? capture : "";
    bool displayNamed = NotEmpty(lookup("DISPLAY")) || NotEmpty(lookup("WAYLAND_DISPLAY"));
    bool driverForced = NotEmpty(lookup("SDL_VIDEODRIVER"));
    settings.videoDriver = displayNamed || driverForced ? VideoDriver::Display : VideoDriver::Offscreen;
    const char* rate = lookup("VELMORA_FPS");
    if (rate) {
        if (!ParseFrameRate(rate, settings.frameRate)) {
            error = std::string("VELMORA_FPS must be a positive frame rate such as 30 or 59.94, not \"") +
                    rate + "\"";
            return false;
        }
        settings.virtualClock = true;
    }
    return true;
}

bool ReadPlatformSettings(PlatformSettings& settings, std::string& error) {
    return ReadPlatformSettings(
        [](const char* name) -> const char* {
            const char* value = std::getenv(name);
            if (value || std::strcmp(name, "HOME") != 0) return value;
            const passwd* user = getpwuid(getuid());
            return user ? user->pw_dir : nullptr;
        },
        settings, error);
}

PlatformSettings ReadNamedSettings(std::initializer_list<const char*> switches) {
    std::vector<std::string> read(switches.begin(), switches.end());
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER"}) read.push_back(display);
    PlatformSettings settings;
    std::string ignored;
    ReadPlatformSettings(
        [&read](const char* name) -> const char* {
            return std::find(read.begin(), read.end(), name) != read.end() ? std::getenv(name) : nullptr;
        },
        settings, ignored);
    return settings;
}

PlatformSettings ReadOffscreenSettings(std::initializer_list<const char*> switches) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    return ReadNamedSettings(switches);
}

const PlatformSettings& CurrentPlatformSettings() {
    return Installed() ? *Installed() : FromEnvironment();
}

std::unique_ptr<WindowSystem> CreateWindowSystem(const PlatformSettings& settings) {
    if (settings.windowSystem == WindowBackEnd::Null) return std::make_unique<NullWindowSystem>();
    return std::make_unique<SdlWindowSystem>(settings.videoDriver);
}

void UsePlatformSettings(const PlatformSettings& settings) {
    Installed() = settings;
    HandOptions(settings);
}

void ResetPlatformSettings() {
    Installed().reset();
    HandOptions(FromEnvironment());
}

void InstallPlatform(const PlatformSettings& settings) {
    // What an earlier install left playing or capturing ends with its clock:
    // mixed on under the next clock, a capture begun on the virtual clock
    // would take the real clock's milliseconds since boot for its length.
    StopSoundOutput();
    UsePlatformSettings(settings);
    InstallWindowSystem(CreateWindowSystem(settings));
    if (settings.virtualClock)
        UseVirtualClock(settings.frameRate, 0);
    else
        UseRealClock();
    StartSoundOutput(settings.captureDirectory);
}

void UninstallPlatform() {
    // The display objects a program still holds go before their window.
    ReleaseDisplayObjects();
    StopSoundOutput();
    StopHearingClockedMix();
    InstallWindowSystem(nullptr);
    ResetWindowTable();
    UseRealClock();
    ResetPlatformSettings();
}

WindowSystem& CurrentWindowSystem() { return *InstalledWindowSystem(); }

void InstallWindowSystem(std::unique_ptr<WindowSystem> system) {
    if (!system) system = std::make_unique<NullWindowSystem>();
    InstalledWindowSystem() = std::move(system);
}

namespace {

class NullTextRasterizer : public TextRasterizer {
public:
    bool Rasterize(const std::string&, TextCoverage& coverage) override {
        coverage = TextCoverage{};
        return false;
    }
};

std::unique_ptr<TextRasterizer>& InstalledTextRasterizer() {
    static std::unique_ptr<TextRasterizer> rasterizer;
    return rasterizer;
}

}  // namespace

std::unique_ptr<TextRasterizer> CreateNullTextRasterizer() { return std::make_unique<NullTextRasterizer>(); }

TextRasterizer& CurrentTextRasterizer() {
    std::unique_ptr<TextRasterizer>& rasterizer = InstalledTextRasterizer();
    if (!rasterizer) rasterizer = ttf::CreateTtfTextRasterizer();
    if (!rasterizer) rasterizer = CreateNullTextRasterizer();
    return *rasterizer;
}

void InstallTextRasterizer(std::unique_ptr<TextRasterizer> rasterizer) {
    InstalledTextRasterizer() = std::move(rasterizer);
}

std::unique_ptr<RenderDevice> OpenRenderDevice() {
    if (CurrentPlatformSettings().renderDevice == RenderBackEnd::Null) return CreateNullRenderDevice();
    std::string why;
    std::unique_ptr<GlHost> host = CurrentWindowSystem().CreateGlHost(why);
    if (!host) {
        // A window system without OpenGL by design (the tests' null one) stays quiet.
        if (!why.empty()) std::fprintf(stderr, "velmora: %s; nothing will be drawn\n", why.c_str());
        return CreateNullRenderDevice();
    }
    gl::GlDeviceOptions options;
    const PlatformSettings& settings = CurrentPlatformSettings();
    options.depth = settings.classicDepth ? gl::DepthPath::Written : gl::DepthPath::Reversed;
    options.skipNeedlessBlending = !settings.classicBlending;
    options.skipNeedlessSampling = !settings.classicSampling;
    options.keepGeometry = !settings.classicGeometry;
    std::unique_ptr<RenderDevice> device = gl::CreateGlRenderDevice(std::move(host), why, options);
    if (!device) {
        std::fprintf(stderr, "velmora: %s; nothing will be drawn\n", why.c_str());
        return CreateNullRenderDevice();
    }
    return device;
}

}  // namespace velmora::platform
