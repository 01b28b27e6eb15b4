// The scene chunk of the play script: count, file name, load, presentation
// values of cameras and objects, and the scene's timed actions.
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "diag/log.h"
#include "scene/scene.h"
#include "show/play_script_lines.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace {

void FreeSceneArray() {
    for (int i = 0; i < sceneCount && scenes; ++i) FreeScene(&scenes[i]);
    std::free(scenes);
    scenes = nullptr;
    sceneCount = 0;
}

// The record a scene line names, or null with a logged reason.
Scene* SceneSlot(int index) {
    if (index >= 0 && index < sceneCount && scenes) return &scenes[index];
    WriteLogFormat("ERROR:\t\tscene_nr: %d\tno such scene, line skipped", index + 1);
    return nullptr;
}

// The record of a scene whose load line has run, for lines that change its
// cameras or objects.
Scene* LoadedScene(int index) {
    Scene* scene = SceneSlot(index);
    if (scene && scene->frameCount <= 0) {
        WriteLogFormat("ERROR:\t\tscene_nr: %d\tscene not loaded, line skipped", index + 1);
        return nullptr;
    }
    return scene;
}

// The last camera of that name, or -1 (logged) when none has it.
int FindCamera(const Scene& scene, const char* name) {
    int found = -1;
    for (int i = 0; i < scene.cameraCount; ++i)
        if (scene.cameras[i].name && strcasecmp(scene.cameras[i].name, name) == 0) found = i;
    if (found < 0) WriteLogFormat("ERROR:\t\t%s\tcamera not found in scene", name);
    return found;
}

int FindObject(const Scene& scene, const char* name) {
    int found = -1;
    for (int i = 0; i < scene.objectCount; ++i)
        if (scene.objects[i].name && strcasecmp(scene.objects[i].name, name) == 0) found = i;
    if (found < 0) WriteLogFormat("ERROR:\t\t%s\tobject not found in scene", name);
    return found;
}

// A visibility window with fades on one camera, clipped to the scene's frames
// (loops run over the frames that exist, whatever the numbers in the line).
void ApplyCameraWindow(Scene& scene, int cameraIndex, int64_t begin, int64_t end, int64_t fadeIn,
                       int64_t fadeOut, float transparency, int overlay, int extraAmbient) {
    SceneCamera& camera = scene.cameras[cameraIndex];
    const int64_t frames = scene.frameCount;
    WriteLogFormat(
        "QXP:\t\t\t\tcamera_nr: %d, begin frame: %d, end frame: %d, transparency: %f, extra "
        "ambient: %d, overlay(T/F): %d",
        cameraIndex, static_cast<int>(begin), static_cast<int>(end),
        static_cast<double>(transparency), extraAmbient, overlay);
    const float base = static_cast<float>(overlay);
    const int64_t first = std::max<int64_t>(begin, 0);
    const int64_t last = std::min<int64_t>(end, frames);  // exclusive
    for (int64_t f = first; f < last; ++f) camera.frameBlend[f] = base + transparency;
    if (fadeIn > 0) {
        // k from 0 to fadeIn, where begin + k is a frame of the scene.
        for (int64_t k = std::max<int64_t>(0, -begin); k <= fadeIn && begin + k < frames; ++k)
            camera.frameBlend[begin + k] =
                static_cast<float>(k) / static_cast<float>(fadeIn) * transparency + base;
    }
    if (fadeOut > 0) {
        // k from 1 to fadeOut - 1, where end - fadeOut + k is a frame of the scene.
        int64_t from = std::max<int64_t>(1, fadeOut - end);
        int64_t to = std::min<int64_t>(fadeOut - 1, frames - 1 - (end - fadeOut));
        for (int64_t k = from; k <= to; ++k)
            camera.frameBlend[end - fadeOut + k] =
                1.0f - static_cast<float>(k) / static_cast<float>(fadeOut) * transparency + base;
    }
    for (int64_t f = first; f < last; ++f) camera.frameExtraAmbient[f] = extraAmbient;
}

// Reads a camera line's values whatever happens, so the next line stays in step.
void ReadCameraLine(ScriptReader& reader, int index) {
    int64_t begin = std::atoi(ScriptWord(reader));
    int64_t end = std::atoi(ScriptWord(reader));
    char name[kScriptTextSize];
    std::memcpy(name, ScriptWord(reader), sizeof name);
    int64_t fadeIn = std::atoi(ScriptWord(reader));
    int64_t fadeOut = std::atoi(ScriptWord(reader));
    float transparency = static_cast<float>(std::atoi(ScriptWord(reader)) / 100.0);
    int extraAmbient = std::atoi(ScriptWord(reader));
    int overlay = ScriptFlag(reader);
    Scene* scene = LoadedScene(index);
    if (!scene) return;
    int camera = FindCamera(*scene, name);
    if (camera < 0) return;
    ApplyCameraWindow(*scene, camera, begin, end, fadeIn, fadeOut, transparency, overlay,
                      extraAmbient);
}

// Each name in turn takes the next render slot: the named camera swaps
// places with the camera that held the slot. The swap looks up where the named
// camera stands now, so that earlier swaps never leave a camera in two slots.
void ReadOrderLine(ScriptReader& reader, int index) {
    Scene* scene = LoadedScene(index);
    int slot = 0;
    char terminator = 0;
    do {
        const char* name = ScriptLastWord(reader, &terminator);
        if (!scene || slot >= scene->cameraCount) {
            ++slot;
            continue;
        }
        for (int camera = 0; camera < scene->cameraCount; ++camera) {
            if (!scene->cameras[camera].name || strcasecmp(scene->cameras[camera].name, name) != 0)
                continue;
            for (int held = 0; held < scene->cameraCount; ++held) {
                if (scene->cameraOrder[held] != camera) continue;
                scene->cameraOrder[held] = scene->cameraOrder[slot];
                scene->cameraOrder[slot] = camera;
                break;
            }
            break;
        }
        ++slot;
    } while (terminator != '\r');
}

// Reads an object name and a value, then hands the named object to apply.
template <typename Apply>
void ForNamedObject(int index, const char* name, Apply apply) {
    Scene* scene = LoadedScene(index);
    if (!scene) return;
    int object = FindObject(*scene, name);
    if (object >= 0) apply(scene->objects[object]);
}

// A rate of 0, below 0 or not a number would hold the scene on one frame for
// ever, so that the show never ends: such a value keeps the rate there was.
void SetFramesPerSecond(Scene& scene, int index, float rate) {
    if (std::isfinite(rate) && rate > 0.0f) {
        scene.framesPerSecond = rate;
        return;
    }
    WriteLogFormat("ERROR:\t\tscene_nr: %d\tframes per second %f refused, %f kept", index + 1,
                   static_cast<double>(rate), static_cast<double>(scene.framesPerSecond));
}

// A trail is drawn frame by frame within one frame of the show: one longer
// than the scene only repeats frames, and a huge one would never finish. A
// trail of 0 frames hides the camera; one below that is refused as 0, which
// draws the same nothing without a count that could wrap round.
void SetBlurFrames(Scene& scene, int camera, int frames) {
    const char* name = scene.cameras[camera].name ? scene.cameras[camera].name : "";
    if (frames > scene.frameCount) {
        WriteLogFormat("ERROR:\t\t%s\tblur of %d frames longer than the scene, %d kept", name,
                       frames, scene.frameCount);
        frames = scene.frameCount;
    } else if (frames < 0) {
        WriteLogFormat("ERROR:\t\t%s\tblur of %d frames below zero, 0 kept", name, frames);
        frames = 0;
    }
    scene.cameras[camera].blurFrames = frames;
}

void AddSceneAction(const char* seconds, int32_t type, int index) {
    int32_t time = 0;
    if (ReadActionTime(seconds, type, &time)) AddScriptAction(time, type, static_cast<float>(index));
}

}  // namespace

void ReadSceneLine(ScriptReader& reader, IDirect3DDevice7* device) {
    char tag[8] = {};
    std::memcpy(tag, ScriptRead(reader, kScriptTagLength), kScriptTagLength);
    if (ScriptKeyIs(tag, "[00]", kScriptTagLength)) {
        int count = ReadScriptCount(reader);
        FreeSceneArray();  // a second count line replaces the first
        // New records are all zero: recognisably empty until their load line runs.
        scenes = static_cast<Scene*>(std::calloc(count > 0 ? count : 1, sizeof(Scene)));
        sceneCount = scenes ? count : 0;
        return;
    }
    int index = ScriptTagIndex(tag);
    const ScriptKeyName* key = ReadScriptKey(reader, ScriptChunk::Scene);
    if (!key) return;
    char name[kScriptTextSize];
    switch (key->key) {
        case ScriptKey::SceneFileName: {
            char* fileName = ScriptRestOfLine(reader);
            if (Scene* scene = SceneSlot(index)) {
                std::free(scene->fileName);
                scene->fileName = fileName;
            } else {
                std::free(fileName);
            }
            break;
        }
        case ScriptKey::Camera:
            ReadCameraLine(reader, index);
            break;
        case ScriptKey::FramesPerSecond: {
            char* value = ScriptRestOfLine(reader);
            if (Scene* scene = SceneSlot(index))
                SetFramesPerSecond(*scene, index, static_cast<float>(value ? std::atof(value) : 0.0));
            std::free(value);
            break;
        }
        case ScriptKey::Blur: {
            std::memcpy(name, ScriptWord(reader), sizeof name);
            int frames = std::atoi(ScriptLastWord(reader));
            if (Scene* scene = LoadedScene(index)) {
                int camera = FindCamera(*scene, name);
                if (camera >= 0) SetBlurFrames(*scene, camera, frames);
            }
            break;
        }
        case ScriptKey::Shade: {
            std::memcpy(name, ScriptWord(reader), sizeof name);
            char mode = ScriptLastWord(reader)[0];
            ForNamedObject(index, name, [mode](SceneObject& object) {
                if (mode == 'F' || mode == 'f') object.shadeMode = 1;
                if (mode == 'G' || mode == 'g') object.shadeMode = 2;
                if (mode == 'P' || mode == 'p') object.shadeMode = 3;
                WriteLogFormat("QXP:\t\t\t\tShade mode: %d (1 = Flat, 2 = Gouraud, 3 = Phong)",
                               object.shadeMode);
            });
            break;
        }
        case ScriptKey::Overlay:
        case ScriptKey::Backface: {
            const bool overlay = key->key == ScriptKey::Overlay;
            std::memcpy(name, ScriptWord(reader), sizeof name);
            int flag = ScriptFlag(reader);
            ForNamedObject(index, name, [overlay, flag](SceneObject& object) {
                (overlay ? object.overlay : object.cullBackfaces) = flag;
            });
            break;
        }
        case ScriptKey::Load:
            if (Scene* scene = SceneSlot(index)) {
                if (scene->fileName)
                    LoadScene(scene, scene->fileName, device);
                else
                    WriteLogFormat("ERROR:\t\tscene_nr: %d\tno file name before load, line skipped",
                                   index + 1);
            }
            break;
        case ScriptKey::Play: {
            std::memcpy(name, ScriptWord(reader), sizeof name);
            int looped = ScriptFlag(reader);
            AddSceneAction(name, looped ? kActionPlaySceneLooped : kActionPlayScene, index);
            break;
        }
        case ScriptKey::Stop:
            AddSceneAction(ScriptLastWord(reader), kActionStopScene, index);
            break;
        case ScriptKey::Unload:
            AddSceneAction(ScriptLastWord(reader), kActionUnloadScene, index);
            break;
        case ScriptKey::Order:
            ReadOrderLine(reader, index);
            break;
        case ScriptKey::PreLoad:
        case ScriptKey::Release:
            AddSceneAction(ScriptLastWord(reader),
                           key->key == ScriptKey::PreLoad ? kActionPreloadTextures : kActionReleaseTextures,
                           index);
            break;
        default:
            break;  // keys of the other chunks are not found here
    }
}
