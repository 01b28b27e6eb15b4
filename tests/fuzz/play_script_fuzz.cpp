// The play script reader on arbitrary bytes, on the null back ends: it must
// never read or write outside the script, its 512-byte buffers or the arrays
// it makes, never hang, and must leave a timeline in time order with scene
// presentation values that the renderer can use. A small scene file, the one
// the seeds load, lies beside the script.
//
// The script and that scene are handed to the reader from memory where the
// player's lookup would read them from disk (OpenDataFile is wrapped at link
// time); the folder holds nothing else, so any other bare name, and the files
// the scene names but the folder lacks (its textures and visibility file), are
// answered as missing at once, and a run writes and reads no file. Names with
// a path still go to the player's own lookup, from a scratch folder on tmpfs
// when there is one.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "data/archive_reader.h"
#include "data/data_archive.h"
#include "data/data_name.h"
#include "diag/log.h"
#include "fuzz_memory_file.h"
#include "scene/scene.h"
#include "scene_writer/sample_scenes.h"
#include "scene_writer/scene_writer.h"
#include "show/free_show.h"
#include "show/play_script.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

// A file the lookup hands out from memory.
struct HeldFile {
    const char* name;
    std::vector<uint8_t> bytes;
};
HeldFile heldScript{"MORVAST.QXP", {}};
HeldFile heldScene{"room.QX3", {}};
// Names the folder does not hold, as the scene names them.
std::vector<std::string> absentNames{"room.VIS"};

std::string scratchFolder;

void RemoveScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
}

// A scratch folder as the current one, holding the scene the seeds name,
// also on disk for names that reach it another way ("./room.QX3"); removed
// when the fuzzer ends.
bool PrepareFolder() {
    char shared[] = "/dev/shm/velmora-script-fuzz-XXXXXX";
    char temporary[] = "/tmp/velmora-script-fuzz-XXXXXX";
    const char* folder = mkdtemp(shared);
    if (!folder) folder = mkdtemp(temporary);
    if (!folder || chdir(folder) != 0) return false;
    scratchFolder = folder;
    std::atexit(RemoveScratchFolder);
    std::string error;
    const velmora::tools::SceneDescription room = velmora::tools::EveryNodeScene();
    heldScene.bytes = velmora::tools::SceneBytes(room);
    for (const velmora::tools::WriterDrawStyle& style : room.drawStyles)
        if (!style.textureName.empty()) absentNames.push_back(style.textureName);
    return velmora::tools::WriteSceneFile("room.QX3", room, &error);
}

void CheckScenes() {
    for (int i = 0; i < sceneCount; ++i) {
        const Scene& scene = scenes[i];
        if (scene.frameCount <= 0) continue;
        Require(std::isfinite(scene.framesPerSecond) && scene.framesPerSecond > 0.0f);
        for (int c = 0; c < scene.cameraCount; ++c) {
            // A trail of 0 frames is kept: that camera draws nothing.
            Require(scene.cameras[c].blurFrames >= 0 && scene.cameras[c].blurFrames <= scene.frameCount);
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
    FreeShow();
    localPath = 0;
    velmora::fuzzing::ResetMemoryCounters();
}

}  // namespace

// OpenDataFile(const char*), as the linker names it.
extern "C" MemoryFile* __real__Z12OpenDataFilePKc(const char* name);
extern "C" MemoryFile* __wrap__Z12OpenDataFilePKc(const char* name) {
    for (const HeldFile* held : {&heldScript, &heldScene}) {
        if (!name || !DataNamesEqual(name, held->name)) continue;
        // Made as the disk lookup makes it, so that MemClose frees it.
        MemoryFile* file = NewMemoryFile(name, static_cast<int32_t>(held->bytes.size()));
        if (file && !held->bytes.empty()) std::memcpy(file->data, held->bytes.data(), held->bytes.size());
        return file;
    }
    if (name && IsBareDataName(name)) return nullptr;
    for (const std::string& absent : absentNames)
        if (name && DataNamesEqual(name, absent.c_str())) return nullptr;
    return __real__Z12OpenDataFilePKc(name);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = PrepareFolder();
    if (!ready || size > (1u << 16)) return 0;
    logEnabled = 0;
    heldScript.bytes.assign(data, data + size);
    char name[] = "MORVAST.QXP";
    Require(ReadPlayScript(name, nullptr) == 1);
    CheckTimeline();
    CheckScenes();
    ResetShow();
    return 0;
}
