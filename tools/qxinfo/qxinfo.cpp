// qxinfo FILE.QX3: prints what the engine reads from a scene file, and whether
// the visibility file beside it has the size the scene needs.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/data_archive.h"
#include "common/standard_options.h"
#include "qxinfo/scene_summary.h"
#include "scene/scene_reader.h"

namespace {

void ReportVisibility(const Scene& scene, const std::string& sceneName) {
    if (sceneName.size() < 3) return;
    std::string name = sceneName.substr(0, sceneName.size() - 3) + "VIS";
    FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) {
        std::printf("visibility: no %s, every part visible\n", name.c_str());
        return;
    }
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    long long needed = 0;
    for (int32_t o = 0; o < scene.objectCount; ++o) needed += VisibilityBytes(scene.objects[o].partCount);
    needed *= static_cast<long long>(scene.cameraCount) * scene.frameCount;
    std::printf("visibility: %s, %ld bytes, %lld needed%s\n", name.c_str(), size, needed,
                size < needed ? " (the missing bytes count as all visible)" : "");
}

constexpr const char* kHelp =
    "usage: qxinfo FILE.QX3\n"
    "Prints what the player reads from a scene file: frames, draw styles, objects,\n"
    "cameras, lights, the bounding box of frame 0, and whether the visibility file\n"
    "beside it has the size the scene needs.\n"
    "  --help     prints this help and exits\n"
    "  --version  prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "qxinfo", kHelp, false))
        return *answered;
    if (argc != 2) {
        std::fprintf(stderr, "usage: qxinfo FILE.QX3\n");
        return 2;
    }
    MemoryFile* file = OpenDataFile(argv[1]);
    if (!file) {
        std::fprintf(stderr, "qxinfo: %s cannot be opened\n", argv[1]);
        return 1;
    }
    Scene scene{};
    InitScene(&scene);
    int sound = ReadSceneData(file, &scene);
    MemClose(file);
    if (!sound) {
        std::fprintf(stderr, "qxinfo: %s is damaged: the engine leaves this scene empty\n", argv[1]);
        return 1;
    }
    std::printf("%s\n%s", argv[1], velmora::tools::SceneSummary(scene).c_str());
    ReportVisibility(scene, argv[1]);
    DiscardSceneData(&scene);
    return 0;
}
