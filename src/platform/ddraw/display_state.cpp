// The one display the stand-in's objects share, the set of live objects and
// the frame present.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "platform/backend/window_system.h"
#include "platform/ddraw/objects.h"
#include "platform/backend/frame_clock.h"

namespace velmora::platform::ddraw {

namespace {

std::vector<ObjectRecord*>& LiveObjects() {
    static std::vector<ObjectRecord*> objects;
    return objects;
}

bool tearingDown = false;

std::unique_ptr<Display>& DisplayHolder() {
    static std::unique_ptr<Display> display;
    return display;
}

}  // namespace

ObjectRecord::ObjectRecord() { LiveObjects().push_back(this); }

ObjectRecord::~ObjectRecord() {
    auto& objects = LiveObjects();
    auto found = std::find(objects.begin(), objects.end(), this);
    if (found != objects.end()) objects.erase(found);
}

bool TearingDown() { return tearingDown; }

bool IsLiveObject(const ObjectRecord* record) {
    const auto& objects = LiveObjects();
    return std::find(objects.begin(), objects.end(), record) != objects.end();
}

Display& TheDisplay() {
    auto& holder = DisplayHolder();
    if (!holder) holder = std::make_unique<Display>();
    return *holder;
}

RenderDevice& DisplayRenderDevice() {
    Display& display = TheDisplay();
    if (!display.device) display.device = OpenRenderDevice();
    return *display.device;
}

std::vector<DisplayMode> ReportedModes() {
    std::vector<std::pair<DWORD, DWORD>> sizes = {{640, 480},   {800, 600},   {1024, 768},
                                                  {1280, 720},  {1280, 1024}, {1600, 1200},
                                                  {1920, 1080}};
    int desktopWidth = 0, desktopHeight = 0;
    CurrentWindowSystem().DesktopSize(desktopWidth, desktopHeight);
    if (desktopWidth > 0 && desktopHeight > 0)
        sizes.push_back({static_cast<DWORD>(desktopWidth), static_cast<DWORD>(desktopHeight)});
    const DisplayOptions& options = CurrentDisplayOptions();
    if (options.extraModeWidth > 0 && options.extraModeHeight > 0)
        sizes.push_back({static_cast<DWORD>(options.extraModeWidth),
                         static_cast<DWORD>(options.extraModeHeight)});
    std::sort(sizes.begin(), sizes.end());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    std::vector<DisplayMode> modes;
    for (const auto& [width, height] : sizes) {
        modes.push_back({width, height, 16});
        modes.push_back({width, height, 32});
    }
    return modes;
}

void PresentBackBuffer() {
    Display& display = TheDisplay();
    RenderDevice& device = DisplayRenderDevice();
    if (display.capture.enabled() && display.width > 0 && display.height > 0) {
        // The drawing done first, so that the time spent reading back is its own.
        device.FinishDrawing();
        auto start = std::chrono::steady_clock::now();
        device.ReadBackBuffer(display.capture.FrameBuffer(static_cast<int>(display.width),
                                                          static_cast<int>(display.height)));
        display.readBackSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        display.capture.FramePresented();
    }
    device.Present();
    RefreshPassed();
}

void RefreshPassed() { FramePresented(); }

}  // namespace velmora::platform::ddraw

namespace velmora::platform {

namespace {

DisplayOptions& Options() {
    static DisplayOptions options;
    return options;
}

}  // namespace

void SetDisplayOptions(const DisplayOptions& options) { Options() = options; }

const DisplayOptions& CurrentDisplayOptions() { return Options(); }

const char* DisplayBackEndName() {
    auto& holder = ddraw::DisplayHolder();
    return holder && holder->device ? holder->device->Name() : nullptr;
}

bool DisplayDrawnByOpenGl() {
    const char* name = DisplayBackEndName();
    return name && std::strcmp(name, "OpenGL") == 0;
}

RenderDevice* DisplayBackEnd() {
    auto& holder = ddraw::DisplayHolder();
    return holder ? holder->device.get() : nullptr;
}

void FinishFrameCapture() {
    auto& holder = ddraw::DisplayHolder();
    if (holder) holder->capture.Finish();
}

double FrameReadBackSeconds() {
    auto& holder = ddraw::DisplayHolder();
    return holder ? holder->readBackSeconds : 0.0;
}

void ReleaseDisplayObjects() {
    using namespace ddraw;
    FinishFrameCapture();
    tearingDown = true;
    // Newest first: devices before the surfaces they draw on.
    while (!LiveObjects().empty()) delete LiveObjects().back();
    DisplayHolder().reset();
    tearingDown = false;
}

}  // namespace velmora::platform
