#include "show_run.h"

#include <cstdlib>
#include <cstring>

#include "app/run_show.h"
#include "app/window_proc.h"
#include "diag/log.h"
#include "platform/ddraw/display_objects.h"
#include "platform/gl/gl_render_device.h"
#include "platform/setup/platform_settings.h"
#include "render/display.h"
#include "state/engine_state.h"

namespace velmora::capture {

namespace {

platform::PlatformSettings CaptureSettings(const CaptureOptions& options, const std::string& audioFolder,
                                           std::shared_ptr<platform::FrameWriter> frames) {
    // Always offscreen, whatever display there is: nothing is shown, and SDL
    // started on its offscreen driver by name says nothing about a display.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::PlatformSettings settings;
    std::string ignored;
    // Of the player's switches only the log, the overlay and the classic drawing apply.
    platform::ReadPlatformSettings(
        [](const char* name) -> const char* {
            if (std::strcmp(name, "VELMORA_LOG") == 0 || std::strcmp(name, "VELMORA_STATS") == 0 ||
                std::strcmp(name, "VELMORA_GL_CLASSIC") == 0 || std::strcmp(name, "SDL_VIDEODRIVER") == 0)
                return std::getenv(name);
            return nullptr;
        },
        settings, ignored);
    settings.sound = platform::SoundBackEnd::Silent;
    settings.virtualClock = true;
    settings.frameRate = options.rate;
    settings.captureDirectory = audioFolder;
    settings.frameWriter = std::move(frames);
    settings.filmCapture = true;
    settings.extraModeWidth = options.width;
    settings.extraModeHeight = options.height;
    return settings;
}

// WinMain's steps up to the show, with the mode chosen as the dialog would
// choose it. False when no display that draws could be made.
bool OpenDisplay(const CaptureOptions& options, std::string& why) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    static char instanceMarker;
    windowClass.hInstance = reinterpret_cast<HINSTANCE>(&instanceMarker);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "Render Window";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "Render Window", "Velmora Demo", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    screenWidth = options.width;
    screenHeight = options.height;
    commandLine[0] = '\0';
    const std::string size = std::to_string(options.width) + "x" + std::to_string(options.height);
    if (!SelectDisplayDevice(window, options.width, options.height)) {
        why = "no display device offers " + size;
        return false;
    }
    if (FAILED(CreateDisplay(window))) {
        why = "the display could not be set up at " + size;
        return false;
    }
    const char* backEnd = platform::DisplayBackEndName();
    if (!backEnd || std::strcmp(backEnd, "OpenGL") != 0) {
        why = "OpenGL could not draw at " + size + "; nothing would be captured";
        return false;
    }
    InitRenderStates(d3dDevice);
    return true;
}

}  // namespace

ShowRunResult PlayShowForCapture(const CaptureOptions& options, const std::string& audioFolder,
                                 std::shared_ptr<platform::FrameWriter> frames) {
    ShowRunResult result;
    const platform::PlatformSettings settings = CaptureSettings(options, audioFolder, std::move(frames));
    platform::InstallPlatform(settings);
    if (settings.log) StartLog(1);
    if (settings.statistics) showStatistics = 1;
    result.played = OpenDisplay(options, result.why);
    if (result.played) {
        if (const platform::RenderDevice* device = platform::DisplayBackEnd()) {
            result.renderer = platform::gl::RendererOf(*device);
            const auto depth = platform::gl::DepthPathOf(*device);
            if (depth)
                result.renderer += *depth == platform::gl::DepthPath::Reversed ? "; reversed depth"
                                                                                : "; depth written per fragment";
        }
        RunShow();
    }
    // The picture on screen stands through the pause after the show.
    platform::FinishFrameCapture();
    result.readBackSeconds = platform::FrameReadBackSeconds();
    platform::UninstallPlatform();
    return result;
}

}  // namespace velmora::capture
