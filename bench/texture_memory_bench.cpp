// Memory that large textures take: a 4096 x 4096 PNG (a few tens of KB) is
// created COUNT times under different names, then each gets its surface on
// the display and is sent to the GPU as the timeline's preload does. The
// resident set (kept) and its high-water mark (peak) are printed after each
// stage, from /proc/self/status.
//   texture_memory_bench [COUNT]
// Runs in a window where there is a display, offscreen otherwise.
#include <FreeImage.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/display_start.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/win32/window_table.h"
#include "render/display.h"
#include "state/engine_state.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

using namespace velmora;

namespace {

constexpr int kSide = 4096;

// VmRSS and VmHWM in MiB.
void PrintMemory(const char* stage) {
    std::ifstream status("/proc/self/status");
    std::string line;
    long rss = 0, peak = 0;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) rss = std::atol(line.c_str() + 6);
        if (line.rfind("VmHWM:", 0) == 0) peak = std::atol(line.c_str() + 6);
    }
    std::printf("%-34s kept %7.1f MiB   peak %7.1f MiB\n", stage, rss / 1024.0, peak / 1024.0);
    std::fflush(stdout);
}

bool WritePicture(const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(kSide, kSide, 24);
    if (!bitmap) return false;
    for (int y = 0; y < kSide; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        for (int x = 0; x < kSide; ++x) {
            row[3 * x + FI_RGBA_RED] = static_cast<BYTE>(x / 16);
            row[3 * x + FI_RGBA_GREEN] = static_cast<BYTE>(y / 16);
            row[3 * x + FI_RGBA_BLUE] = static_cast<BYTE>(((x >> 6) ^ (y >> 6)) & 1 ? 255 : 0);
        }
    }
    bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION);
    FreeImage_Unload(bitmap);
    return saved;
}

}  // namespace

int main(int argc, char** argv) {
    int count = argc > 1 ? std::atoi(argv[1]) : 1;
    if (count <= 0 || count > 64) {
        std::fprintf(stderr, "usage: texture_memory_bench [COUNT of 1 to 64]\n");
        return 2;
    }
    setenv("VELMORA_WINDOWED", "1", 1);
    namespace fs = std::filesystem;
    fs::path directory = fs::temp_directory_path() / ("velmora_texture_memory_" + std::to_string(getpid()));
    fs::create_directories(directory);
    fs::current_path(directory);
    if (!WritePicture("picture.png")) {
        std::fprintf(stderr, "texture_memory_bench: cannot write the picture\n");
        return 2;
    }
    std::printf("%d x %d PNG of %ld bytes, %d textures of it\n", kSide, kSide,
                static_cast<long>(fs::file_size("picture.png")), count);
    for (int i = 0; i < count; ++i) fs::copy_file("picture.png", "tex" + std::to_string(i) + ".png");
    PrintMemory("start");

    platform::InstallWindowSystem(std::make_unique<platform::SdlWindowSystem>());
    std::string why;
    if (!StartDisplayAt(640, 480, "Velmora texture memory", why)) {
        std::fprintf(stderr, "texture_memory_bench: %s\n", why.c_str());
        return 2;
    }
    std::printf("drawing back end: %s\n", platform::DisplayBackEndName());
    PrintMemory("display made");

    int status = 0;
    for (int i = 0; i < count; ++i) {
        std::string name = "tex" + std::to_string(i) + ".png";
        if (CreateTexture(name.c_str(), 0, 0) != 0) status = 1;
        if (i == 0) PrintMemory("first texture decoded");
    }
    PrintMemory("all textures decoded");
    for (int i = 0; i < count; ++i) {
        std::string name = "tex" + std::to_string(i) + ".png";
        if (RestoreTexture(name.c_str(), d3dDevice) != 0) status = 1;
        LPDIRECTDRAWSURFACE7 surface = GetTextureSurface(name.c_str());
        if (!surface || d3dDevice->PreLoad(surface) != D3D_OK) status = 1;
        if (i == 0) PrintMemory("first texture on the GPU");
    }
    PrintMemory("all textures on the GPU");
    while (textureList) delete textureList;
    PrintMemory("all textures deleted");
    platform::ReleaseDisplayObjects();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(directory);
    if (status) std::fprintf(stderr, "texture_memory_bench: a texture failed\n");
    return status;
}
