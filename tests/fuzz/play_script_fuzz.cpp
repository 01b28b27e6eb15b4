// The play script reader on arbitrary bytes, on the null back ends: it must
// never read or write outside the script, its 512-byte buffers or the arrays
// it makes, never hang, and must leave a timeline in time order with scene
// presentation values that the renderer can use. A small scene file, the one
// the seeds load, lies beside the script.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/engine_state.h"
#include "data/data_archive.h"
#include "diag/log.h"
#include "fuzz_memory_file.h"
#include "scene/scene.h"
#include "scene_writer/sample_scenes.h"
#include "scene_writer/scene_writer.h"
#include "show/play_script.h"
#include "show/timeline.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// A scratch folder as the current one, holding the scene the seeds name.
bool PrepareFolder() {
    char pattern[] = "/tmp/velmora-script-fuzz-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (!folder || chdir(folder) != 0) return false;
    std::string error;
    return velmora::tools::WriteSceneFile("room.QX3", velmora::tools::EveryNodeScene(), &error);
}

void CheckScenes() {
    for (int i = 0; i < sceneCount; ++i) {
        const Scene& scene = scenes[i];
        if (scene.frameCount <= 0) continue;
        Require(std::isfinite(scene.framesPerSecond) && scene.framesPerSecond > 0.0f);
        for (int c = 0; c < scene.cameraCount; ++c) {
            Require(scene.cameras[c].blurFrames >= 1 && scene.cameras[c].blurFrames <= scene.frameCount);
            Require(scene.cameraOrder[c] >= 0 && scene.cameraOrder[c] < scene.cameraCount);
            for (int k = 0; k < c; ++k) Require(scene.cameraOrder[k] != scene.cameraOrder[c]);
            for (int f = 0; f < scene.frameCount; ++f) {
                volatile float blend = scene.cameras[c].frameBlend[f];
                volatile int ambient = scene.cameras[c].frameExtraAmbient[f];
                (void)blend;
                (void)ambient;
            }
        }
    }
}

void CheckTimeline() {
    int32_t previous = 0;
    for (const Action* a = actionList.next; a; a = a->next) {
        Require(a->time >= previous && a->time <= kLatestActionTime);
        Require(a->type >= 1 && a->type <= 9);
        if (a->type == kActionHold)
            Require(a->argument >= 0.0f &&
                    (a->argument == 0.0f ||
                     static_cast<double>(a->time) + a->argument <= kLatestActionTime));
        previous = a->time;
    }
}

void ResetShow() {
    for (int i = 0; i < sceneCount && scenes; ++i) FreeScene(&scenes[i]);
    std::free(scenes);
    scenes = nullptr;
    sceneCount = 0;
    for (int i = 0; i < musicTrackCount && musicTracks; ++i) std::free(musicTracks[i].fileName);
    std::free(musicTracks);
    musicTracks = nullptr;
    musicTrackCount = 0;
    ClearActionList(&actionList);
    localPath = 0;
    velmora::fuzzing::ResetMemoryCounters();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = PrepareFolder();
    if (!ready || size > (1u << 16)) return 0;
    logEnabled = 0;
    std::FILE* script = std::fopen("MORVAST.QXP", "wb");
    if (!script) return 0;
    std::fwrite(data, 1, size, script);
    std::fclose(script);
    char name[] = "MORVAST.QXP";
    Require(ReadPlayScript(name, nullptr) == 1);
    CheckTimeline();
    CheckScenes();
    ResetShow();
    return 0;
}
