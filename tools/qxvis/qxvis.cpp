// qxvis SCENE.QX3 [-o FILE.VIS] [--size WxH] [--margin PIXELS] [--steps N]:
// writes the visibility file of a scene, by default beside it under the
// scene's name with "VIS" for its last three letters.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/numbers.h"
#include "common/atomic_file.h"
#include "common/output_path.h"
#include "common/standard_options.h"
#include "data/data_archive.h"
#include "qxvis/visibility_generator.h"
#include "scene/scene_reader.h"

using namespace velmora::tools;

namespace {

const char* kUsage =
    "usage: qxvis SCENE.QX3 [-o FILE.VIS] [--size WxH] [--margin PIXELS] [--steps N]";

int Refuse(const std::string& line) {
    std::fprintf(stderr, "qxvis: %s\n", line.c_str());
    return 2;
}


class Progress {
public:
    Progress() : terminal_(isatty(STDERR_FILENO)), start_(std::chrono::steady_clock::now()) {}
    void operator()(int64_t done, int64_t total) {
        if (!terminal_) return;
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
        double left = done > 0 ? seconds / done * (total - done) : 0.0;
        std::fprintf(stderr, "\rqxvis: %lld of %lld cameras x frames, %.0f s left   ",
                     static_cast<long long>(done), static_cast<long long>(total), left);
        if (done == total) std::fputc('\n', stderr);
    }

private:
    bool terminal_;
    std::chrono::steady_clock::time_point start_;
};

bool WriteWhole(const std::string& path, const std::vector<uint8_t>& bytes, std::string& why) {
    if (velmora::tools::WriteWholeFile(path, bytes.data(), bytes.size())) return true;
    why = path + " cannot be written: " + std::strerror(errno);
    return false;
}

constexpr const char* kHelp =
    "usage: qxvis SCENE.QX3 [-o FILE.VIS] [--size WxH] [--margin PIXELS] [--steps N]\n"
    "Works out a scene's visibility file (one bit per part for every camera, frame\n"
    "and object) by drawing it offscreen with OpenGL.\n"
    "  -o FILE.VIS       the file written (default: beside the scene, ending in VIS)\n"
    "  --size WxH        the picture drawn (default 640x480)\n"
    "  --margin PIXELS   also counts parts this close to an edge (default 1)\n"
    "  --steps N         positions drawn between a frame and the next (default 2)\n"
    "  --help            prints this help and exits\n"
    "  --version         prints the version and exits\n";

}  // namespace

int main(int argc, char** argv) {
    if (auto answered = velmora::tools::AnswerStandardOptions(argc, argv, "qxvis", kHelp, true))
        return *answered;
    GeneratorOptions options;
    std::string sceneName, outputName;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (argument == "-o") {
            if (!value || !*value) return Refuse("-o needs a file name; " + std::string(kUsage));
            outputName = value;
            ++i;
        } else if (argument == "--size") {
            if (!ReadSize(value, 8192, options.width, options.height))
                return Refuse("--size takes WIDTHxHEIGHT, each 1 to 8192, such as 640x480");
            ++i;
        } else if (argument == "--margin") {
            if (!ReadNumber(value, 0, 64, options.margin)) return Refuse("--margin takes 0 to 64 pixels");
            ++i;
        } else if (argument == "--steps") {
            if (!ReadNumber(value, 1, 16, options.steps)) return Refuse("--steps takes 1 to 16");
            ++i;
        } else if (!argument.empty() && argument[0] == '-') {
            return Refuse("unknown option " + argument + "; " + kUsage);
        } else if (sceneName.empty()) {
            sceneName = argument;
        } else {
            return Refuse("one scene file at a time; " + std::string(kUsage));
        }
    }
    if (sceneName.empty()) return Refuse(kUsage);
    if (sceneName.size() < 4) return Refuse(sceneName + " is too short a name for a scene file");
    if (outputName.empty()) outputName = sceneName.substr(0, sceneName.size() - 3) + "VIS";
    std::string why;
    if (!CheckOutputFile(outputName, why)) return Refuse(why);

    FILE* probe = std::fopen(sceneName.c_str(), "rb");
    if (!probe) return Refuse(sceneName + " cannot be opened: " + std::strerror(errno));
    std::fclose(probe);
    MemoryFile* file = OpenDataFile(sceneName.c_str());
    if (!file) return Refuse(sceneName + " cannot be read");
    Scene scene{};
    InitScene(&scene);
    int sound = ReadSceneData(file, &scene);
    MemClose(file);
    if (!sound) return Refuse(sceneName + " is damaged: the player would leave this scene empty");

    // Always offscreen: nothing is shown.
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    VisibilityBits bits(scene);
    Progress progress;
    auto start = std::chrono::steady_clock::now();
    bool made = GenerateVisibility(scene, options, bits, std::ref(progress), why);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!made) {
        DiscardSceneData(&scene);
        std::fprintf(stderr, "qxvis: %s\n", why.c_str());
        return 1;
    }
    if (!WriteWhole(outputName, bits.bytes(), why)) {
        DiscardSceneData(&scene);
        return Refuse(why);
    }
    int64_t slots = 0, seen = 0;
    for (int32_t c = 0; c < scene.cameraCount; ++c)
        for (int32_t f = 0; f < scene.frameCount; ++f)
            for (int32_t o = 0; o < scene.objectCount; ++o)
                for (int32_t p = 0; p < scene.objects[o].partCount; ++p) {
                    ++slots;
                    seen += bits.Get(c, f, o, p);
                }
    int64_t passes = static_cast<int64_t>(scene.cameraCount) * scene.frameCount;
    std::printf("%s: %lld bytes; %lld of %lld part draws visible (%.1f%% hidden); %lld cameras x frames at "
                "%dx%d in %.2f s, %.2f ms each\n",
                outputName.c_str(), static_cast<long long>(bits.bytes().size()), static_cast<long long>(seen),
                static_cast<long long>(slots), slots ? 100.0 * (slots - seen) / slots : 0.0,
                static_cast<long long>(passes), options.width, options.height, seconds,
                passes ? seconds * 1000.0 / passes : 0.0);
    DiscardSceneData(&scene);
    return 0;
}
