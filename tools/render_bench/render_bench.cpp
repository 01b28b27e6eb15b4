// velmora_bench [FRAMES]: frames per second of two generated scenes drawn
// through the DirectDraw/Direct3D stand-in, as it draws now and as it drew
// before (VELMORA_GL_CLASSIC=all: every fragment writing its depth), beside the same
// triangles drawn by plain OpenGL as a program of its own would draw them, at
// 640x480 and 1920x1080: the heavy scene (many lit triangles, a trail) and
// the overdraw scene (eight screens of opaque, lit, textured walls, half of
// them drawn back to front, half front to back). Says which OpenGL renderer
// ran it. Runs in a window where there is a display, offscreen otherwise;
// the show's frame clock is the virtual one.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/display_start.h"
#include "common/numbers.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/setup/display_report.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "render_bench/bench_scene.h"
#include "render_bench/plain_gl.h"
#include "state/engine_state.h"
#include "texture/texture_cache.h"

using namespace velmora;

namespace {

// Reading a pixel back waits for the drawing so far to finish.
void WaitForDrawing() {
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    RECT pixel = {0, 0, 1, 1};
    if (backBuffer->Lock(&pixel, &locked, DDLOCK_READONLY, nullptr) == DD_OK) backBuffer->Unlock(nullptr);
}

// classic: OpenGL draws as it did before (VELMORA_GL_CLASSIC=all): every
// fragment writing its depth, blending and sampling whenever asked, every
// vertex streamed. renderer, when given, gets the renderer, version and depth path.
tools::RunFigures RunStandIn(Scene& scene, int width, int height, int frames, bool classic,
                             std::string* renderer = nullptr) {
    platform::PlatformSettings settings = platform::CurrentPlatformSettings();
    settings.classicDepth = settings.classicBlending = settings.classicSampling = settings.classicGeometry = classic;
    settings.virtualClock = true;
    settings.frameRate = platform::FrameRate{30, 1};
    settings.sound = platform::SoundBackEnd::Silent;
    platform::InstallPlatform(settings);
    tools::RunFigures figures;
    std::string why;
    if (!StartDisplayAt(width, height, "Velmora bench", why)) {
        std::fprintf(stderr, "velmora_bench: %s\n", why.c_str());
    } else if (!platform::DisplayDrawnByOpenGl()) {
        std::fprintf(stderr, "velmora_bench: OpenGL could not draw at %dx%d\n", width, height);
    } else {
        RestoreTexture(tools::kOverdrawTexture, d3dDevice);
        if (renderer) *renderer = platform::DisplayRendererDescription();
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
            EnableSceneLights(&scene, d3dDevice);
            RenderScene(&scene);
            DisableSceneLights(&scene, d3dDevice);
            PresentFrame();
        }
        WaitForDrawing();
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        tools::SetRunFigures(figures, frames, seconds, before, tools::TakeCpuTimes());
    }
    ReleaseTextureSurface(tools::kOverdrawTexture);
    platform::UninstallPlatform();
    ForgetDisplay();
    return figures;
}

// The overdraw scene's texture as a file in a folder of its own, the
// current folder from then on, read into the texture cache.
bool LoadOverdrawTexture() {
    char folder[] = "/tmp/velmora-bench-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) return false;
    std::vector<uint8_t> file = tools::OverdrawTextureFile();
    FILE* out = std::fopen(tools::kOverdrawTexture, "wb");
    if (!out) return false;
    bool written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    written = std::fclose(out) == 0 && written;
    bool loaded = written && CreateTexture(tools::kOverdrawTexture, 0, 0) == 0;
    std::remove(tools::kOverdrawTexture);
    rmdir(folder);
    return loaded;
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

struct BenchScene {
    const char* name;
    Scene* scene;
};

}  // namespace

int main(int argc, char** argv) {
    int frames = 60;
    if (argc > 2 || (argc == 2 && !tools::ReadNumber(argv[1], 1, 100000, frames))) {
        std::fprintf(stderr, "velmora_bench: usage: velmora_bench [FRAMES], FRAMES 1 to 100000\n");
        return 2;
    }
    setenv("VELMORA_WINDOWED", "1", 1);
    // Without a display, offscreen at once and without a word for every run.
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (!LoadOverdrawTexture()) {
        std::fprintf(stderr, "velmora_bench: the overdraw scene's texture could not be made\n");
        return 1;
    }
    tools::SceneBuilder heavyBuilder(tools::kBenchFrames), overdrawBuilder(tools::kBenchFrames);
    tools::BuildBenchScene(heavyBuilder);
    tools::BuildOverdrawScene(overdrawBuilder);
    const BenchScene benchScenes[] = {{"heavy", heavyBuilder.Build(0.0f)}, {"overdraw", overdrawBuilder.Build(0.0f)}};
    for (const BenchScene& bench : benchScenes) {
        long triangles = 0;
        const Scene* scene = bench.scene;
        for (int32_t o = 0; o < scene->objectCount; ++o)
            for (int32_t p = 0; p < scene->objects[o].partCount; ++p)
                triangles += scene->objects[o].partPolygonCounts[p];
        std::printf("%s scene: %ld triangles in %d objects, %d lights, %d cameras\n", bench.name, triangles,
                    scene->objectCount, scene->lightCount, scene->cameraCount);
    }
    std::string standInRenderer, plainRenderer;
    // Said before the figures, so that a run that stops half-way still tells where it ran.
    RunStandIn(*benchScenes[1].scene, 640, 480, 1, false, &standInRenderer);
    tools::RunPlainGl(*benchScenes[1].scene, 640, 480, 1, &plainRenderer);
    std::printf("stand-in on %s\nplain GL on %s\n", standInRenderer.c_str(), plainRenderer.c_str());
    std::printf("%d frames a run, each side %d times in turn; the median run of each:\n", frames, kRuns);
    std::printf("%-9s %-10s %9s %9s %9s %7s %7s   %s\n", "scene", "size", "stand-in", "classic", "plain GL",
                "ratio", "classic",
                "ms a frame: stand-in thread / rasteriser threads, plain GL thread / rasteriser threads");
    const int sizes[2][2] = {{640, 480}, {1920, 1080}};
    int status = 0;
    for (const BenchScene& bench : benchScenes)
        for (const auto& size : sizes) {
            std::vector<tools::RunFigures> standIn, classic, plain;
            for (int run = 0; run < kRuns; ++run) {
                standIn.push_back(RunStandIn(*bench.scene, size[0], size[1], frames, false));
                classic.push_back(RunStandIn(*bench.scene, size[0], size[1], frames, true));
                plain.push_back(tools::RunPlainGl(*bench.scene, size[0], size[1], frames));
            }
            const tools::RunFigures& s = Median(standIn);
            const tools::RunFigures& c = Median(classic);
            const tools::RunFigures& p = Median(plain);
            if (s.framesPerSecond <= 0.0 || c.framesPerSecond <= 0.0 || p.framesPerSecond <= 0.0) status = 1;
            auto ratio = [&](const tools::RunFigures& side) {
                return p.framesPerSecond > 0 ? side.framesPerSecond / p.framesPerSecond : 0.0;
            };
            char label[32];
            std::snprintf(label, sizeof label, "%dx%d", size[0], size[1]);
            std::printf("%-9s %-10s %9.1f %9.1f %9.1f %7.2f %7.2f   %.1f / %.1f, %.1f / %.1f\n", bench.name, label,
                        s.framesPerSecond, c.framesPerSecond, p.framesPerSecond, ratio(s), ratio(c),
                        s.callerMsPerFrame, s.otherMsPerFrame, p.callerMsPerFrame, p.otherMsPerFrame);
            std::fflush(stdout);
        }
    DeleteTexture(tools::kOverdrawTexture);
    return status;
}
