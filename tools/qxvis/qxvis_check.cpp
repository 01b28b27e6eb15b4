// qxvis_check SCENE.QX3 [--size WxH] [--blur N] [--steps K] [--rounds R] [--png FILE]:
// draws every frame of a scene through the player's renderer and display
// stand-in twice, with the visibility file beside the scene and with every
// part visible, and compares the images pixel for pixel. Every camera is
// switched on for every frame (opacity 1.0); each frame is drawn at K
// positions between it and the next, as a running show catches it. Prints
// the share of part draws the file hides and the frames per second of both;
// --png writes the first position's image (32-bit modes) to look at.
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
#include "data/data_archive.h"
#include "platform/backend/frame_clock.h"
#include "platform/capture/frame_capture.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/image/png_writer.h"
#include "platform/setup/platform_settings.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "scene/scene_reader.h"
#include "scene/visibility.h"
#include "state/engine_state.h"

using namespace velmora;

namespace {

int Refuse(const std::string& line) {
    std::fprintf(stderr, "qxvis_check: %s\n", line.c_str());
    return 2;
}

bool ReadScene(const std::string& name, Scene& scene) {
    MemoryFile* file = OpenDataFile(name.c_str());
    if (!file) return false;
    InitScene(&scene);
    int sound = ReadSceneData(file, &scene);
    MemClose(file);
    return sound == 1;
}

// Frees the scenes, and the textures their reading put in the cache, on every
// way out; Free() runs it early, before the display objects go.
struct ScenesHeld {
    Scene& first;
    Scene& second;
    void Free() {
        FreeScene(&first);
        FreeScene(&second);
    }
    ~ScenesHeld() { Free(); }
};

void SwitchCamerasOn(Scene& scene, int blur) {
    for (int32_t c = 0; c < scene.cameraCount; ++c) {
        for (int32_t f = 0; f < scene.frameCount; ++f) scene.cameras[c].frameBlend[f] = 1.0f;
        scene.cameras[c].blurFrames = blur;
    }
}

std::vector<uint8_t> ReadBackBuffer() {
    DDSURFACEDESC2 locked{};
    locked.dwSize = kSurfaceDescSize;
    std::vector<uint8_t> pixels;
    if (backBuffer->Lock(nullptr, &locked, DDLOCK_READONLY, nullptr) != DD_OK) return pixels;
    const uint8_t* rows = static_cast<const uint8_t*>(locked.lpSurface);
    const size_t rowBytes = static_cast<size_t>(locked.dwWidth) * (locked.ddpfPixelFormat.dwRGBBitCount / 8);
    for (DWORD y = 0; y < locked.dwHeight; ++y)
        pixels.insert(pixels.end(), rows + y * locked.lPitch, rows + y * locked.lPitch + rowBytes);
    backBuffer->Unlock(nullptr);
    return pixels;
}

void Draw(Scene& scene, float position) {
    d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
    scene.currentFrame = position;
    EnableSceneLights(&scene, d3dDevice);
    RenderScene(&scene);
    DisableSceneLights(&scene, d3dDevice);
}

// Part draws the renderer makes and those the visibility lets through, for
// one position.
void CountDraws(const Scene& scene, float position, long long& draws, long long& drawn) {
    const int32_t cur = static_cast<int32_t>(position);
    for (int32_t c = 0; c < scene.cameraCount; ++c) {
        const int32_t trail = std::min(scene.cameras[c].blurFrames, scene.frameCount);
        for (int32_t a = trail - 1; a >= 0; --a) {
            int32_t f0 = cur - a;
            if (f0 < 0) f0 += scene.frameCount;
            for (int32_t o = 0; o < scene.objectCount; ++o)
                for (int32_t p = 0; p < scene.objects[o].partCount; ++p) {
                    ++draws;
                    drawn += PartVisible(&scene, c, o, f0, p);
                }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string sceneName, pngName;
    int width = 640, height = 480, blur = 1, steps = 4, rounds = 3;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto number = [&](int low, int high, int& out) {
            if (!tools::ReadNumber(value, low, high, out)) return false;
            ++i;
            return true;
        };
        if (argument == "--size") {
            if (!tools::ReadSize(value, 8192, width, height))
                return Refuse("--size takes WIDTHxHEIGHT, such as 640x480");
            ++i;
        } else if (argument == "--png") {
            if (!value || !*value) return Refuse("--png needs a file name");
            pngName = value;
            ++i;
        } else if (argument == "--blur") {
            if (!number(1, 64, blur)) return Refuse("--blur takes 1 to 64 frames");
        } else if (argument == "--steps") {
            if (!number(1, 64, steps)) return Refuse("--steps takes 1 to 64");
        } else if (argument == "--rounds") {
            if (!number(1, 1000, rounds)) return Refuse("--rounds takes 1 to 1000");
        } else if (argument[0] == '-' || !sceneName.empty()) {
            return Refuse("usage: qxvis_check SCENE.QX3 [--size WxH] [--blur N] [--steps K] [--rounds R] [--png FILE]");
        } else {
            sceneName = argument;
        }
    }
    if (sceneName.size() < 4) return Refuse("usage: qxvis_check SCENE.QX3 [--size WxH] [--blur N] [--steps K] [--rounds R] [--png FILE]");
    const std::string visibilityName = sceneName.substr(0, sceneName.size() - 3) + "VIS";
    if (FILE* probe = std::fopen(visibilityName.c_str(), "rb")) std::fclose(probe);
    else return Refuse(visibilityName + " cannot be opened");

    Scene withFile{}, allVisible{};
    ScenesHeld held{withFile, allVisible};
    if (!ReadScene(sceneName, withFile) || !ReadScene(sceneName, allVisible))
        return Refuse(sceneName + " cannot be read or is damaged");
    if (!ReadVisibility(&withFile, visibilityName.c_str()) || !ReadVisibility(&allVisible, "")) 
        return Refuse("no memory for the visibility");
    SwitchCamerasOn(withFile, std::min(blur, withFile.frameCount));
    SwitchCamerasOn(allVisible, std::min(blur, allVisible.frameCount));

    setenv("VELMORA_WINDOWED", "1", 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    // The switches just set, read now, on a silent virtual clock.
    platform::PlatformSettings settings = platform::CurrentPlatformSettings();
    settings.virtualClock = true;
    settings.frameRate = platform::FrameRate{30, 1};
    settings.sound = platform::SoundBackEnd::Silent;
    platform::InstallPlatform(settings);
    std::string why;
    if (!StartDisplayAt(width, height, "qxvis_check", why)) return Refuse(why);
    if (!platform::DisplayDrawnByOpenGl()) return Refuse("OpenGL cannot be brought up");

    std::vector<float> positions;
    for (int32_t f = 0; f < withFile.frameCount; ++f)
        for (int k = 0; k < steps; ++k) positions.push_back(static_cast<float>(f) + static_cast<float>(k) / steps);

    long long draws = 0, drawn = 0, differing = 0, differingPixels = 0;
    for (float position : positions) {
        CountDraws(withFile, position, draws, drawn);
        Draw(allVisible, position);
        std::vector<uint8_t> expected = ReadBackBuffer();
        Draw(withFile, position);
        std::vector<uint8_t> got = ReadBackBuffer();
        if (!pngName.empty() && position == positions[0] && got.size() == static_cast<size_t>(width) * height * 4 &&
            !platform::WritePng(pngName, reinterpret_cast<const uint32_t*>(got.data()), width, height))
            return Refuse(pngName + " cannot be written");
        if (expected.empty() || expected.size() != got.size()) return Refuse("the back buffer cannot be read");
        if (expected != got) {
            ++differing;
            for (size_t i = 0; i < got.size(); ++i) differingPixels += expected[i] != got[i];
            if (differing <= 5) std::printf("position %.3f differs\n", position);
        }
    }

    double seconds[2] = {0.0, 0.0};
    // One round of each untimed first, so that neither pays for warming up.
    for (int round = -1; round < rounds; ++round)
        for (int which = 0; which < 2; ++which) {
            Scene& scene = which == 0 ? allVisible : withFile;
            auto start = std::chrono::steady_clock::now();
            for (float position : positions) {
                Draw(scene, position);
                PresentFrame();
            }
            ReadBackBuffer();  // waits for the drawing to finish
            if (round >= 0) seconds[which] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    const double frames = static_cast<double>(positions.size()) * rounds;
    std::printf("%s at %dx%d, blur %d: %zu positions, %lld differ (%lld bytes); %lld of %lld part draws hidden "
                "(%.1f%%); %.1f fps all visible, %.1f fps with the file (x%.2f)\n",
                sceneName.c_str(), width, height, blur, positions.size(), differing, differingPixels,
                draws - drawn, draws, draws ? 100.0 * (draws - drawn) / draws : 0.0, frames / seconds[0],
                frames / seconds[1], seconds[1] > 0 ? seconds[0] / seconds[1] : 0.0);
    held.Free();
    platform::UninstallPlatform();
    return differing == 0 ? 0 : 1;
}
