// velmora_bench [FRAMES]: frames per second of the generated heavy scene
// drawn through the DirectDraw/Direct3D stand-in, beside the same triangles
// drawn with the same shaders by plain OpenGL from static buffers, at 640x480
// and 1920x1080. Runs in a window where there is a display, offscreen
// otherwise; the show's frame clock is the virtual one.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/engine_state.h"
#include "app/window_proc.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/win32/clock_control.h"
#include "platform/win32/window_table.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "render_bench/bench_scene.h"
#include "render_bench/plain_gl.h"

using namespace velmora;

namespace {

// Reading a pixel back waits for the drawing so far to finish.
void WaitForDrawing() {
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    RECT pixel = {0, 0, 1, 1};
    if (backBuffer->Lock(&pixel, &locked, DDLOCK_READONLY, nullptr) == DD_OK) backBuffer->Unlock(nullptr);
}

tools::RunFigures RunStandIn(Scene& scene, int width, int height, int frames) {
    platform::ResetWindowTable();
    platform::InstallWindowSystem(std::make_unique<platform::SdlWindowSystem>());
    platform::UseVirtualClock(platform::FrameRate{30, 1}, 0);
    screenWidth = width;
    screenHeight = height;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.lpszClassName = "Render Window";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "Render Window", "Velmora bench", WS_OVERLAPPEDWINDOW, 0, 0, 400,
                                  300, nullptr, nullptr, nullptr, nullptr);
    tools::RunFigures figures;
    if (window && SelectDisplayDevice(window, width, height)) {
        DisplayDevice& device = displayDevices[selectedDevice];
        device.chosenMode = device.modes[selectedMode];
        device.modeChosen = 1;
        if (CreateDisplay(window) == S_OK &&
            std::strcmp(platform::DisplayBackEndName(), "OpenGL") == 0) {
            InitRenderStates(d3dDevice);
            auto start = std::chrono::steady_clock::now();
            tools::CpuTimes before = tools::TakeCpuTimes();
            const int warmUp = 5;
            for (int frame = 0; frame < frames + warmUp; ++frame) {
                if (frame == warmUp) {
                    WaitForDrawing();
                    start = std::chrono::steady_clock::now();
                    before = tools::TakeCpuTimes();
                }
                d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
                // The scene's position from the clock, as the timeline takes it.
                double position = timeGetTime() / 1000.0 * scene.framesPerSecond;
                scene.currentFrame = static_cast<float>(std::fmod(position, scene.frameCount)) + 0.5f;
                if (scene.currentFrame >= scene.frameCount) scene.currentFrame -= 1.0f;
                EnableSceneLights(&scene);
                RenderScene(&scene);
                DisableSceneLights(&scene);
                PresentFrame();
            }
            WaitForDrawing();
            double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            tools::SetRunFigures(figures, frames, seconds, before, tools::TakeCpuTimes());
        }
    }
    platform::ReleaseDisplayObjects();
    d3dDevice = nullptr;
    primarySurface = backBuffer = zBuffer = nullptr;
    std::memset(displayDevices, 0, sizeof displayDevices);
    selectedDevice = selectedMode = displayDeviceCounter = 0;
    platform::ResetWindowTable();
    platform::InstallWindowSystem(nullptr);
    platform::UseRealClock();
    return figures;
}

// Runs of each side at each size, taken in turn so that a noisy moment
// touches both.
constexpr int kRuns = 3;

const tools::RunFigures& Median(std::vector<tools::RunFigures>& runs) {
    std::sort(runs.begin(), runs.end(), [](const tools::RunFigures& a, const tools::RunFigures& b) {
        return a.framesPerSecond < b.framesPerSecond;
    });
    return runs[runs.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int frames = argc > 1 ? std::atoi(argv[1]) : 60;
    if (frames <= 0) frames = 60;
    setenv("VELMORA_WINDOWED", "1", 1);
    tools::SceneBuilder builder(tools::kBenchFrames);
    tools::BuildBenchScene(builder);
    Scene* scene = builder.Build(0.0f);
    long triangles = 0;
    for (int32_t o = 0; o < scene->objectCount; ++o)
        for (int32_t p = 0; p < scene->objects[o].partCount; ++p) triangles += scene->objects[o].partPolygonCounts[p];
    std::printf("scene: %ld triangles in %d objects, %d lights, %d cameras (4 passes a frame); %d frames each\n",
                triangles, scene->objectCount, scene->lightCount, scene->cameraCount, frames);
    std::printf("each size %d times, the two sides in turn; the median run of each side:\n", kRuns);
    std::printf("%-10s %9s %9s %6s   %s\n", "size", "stand-in", "plain GL", "ratio",
                "ms a frame: stand-in thread / rasteriser threads, plain GL thread / rasteriser threads");
    const int sizes[2][2] = {{640, 480}, {1920, 1080}};
    int status = 0;
    for (const auto& size : sizes) {
        std::vector<tools::RunFigures> standIn, plain;
        for (int run = 0; run < kRuns; ++run) {
            standIn.push_back(RunStandIn(*scene, size[0], size[1], frames));
            plain.push_back(tools::RunPlainGl(*scene, size[0], size[1], frames));
        }
        const tools::RunFigures& s = Median(standIn);
        const tools::RunFigures& p = Median(plain);
        if (s.framesPerSecond <= 0.0 || p.framesPerSecond <= 0.0) status = 1;
        char label[32];
        std::snprintf(label, sizeof label, "%dx%d", size[0], size[1]);
        std::printf("%-10s %9.1f %9.1f %6.2f   %.1f / %.1f, %.1f / %.1f\n", label, s.framesPerSecond,
                    p.framesPerSecond, p.framesPerSecond > 0 ? s.framesPerSecond / p.framesPerSecond : 0.0,
                    s.callerMsPerFrame, s.otherMsPerFrame, p.callerMsPerFrame, p.otherMsPerFrame);
        std::fflush(stdout);
    }
    return status;
}
