#include "show/timeline.h"

#include <cmath>
#include <cstdlib>

#include "diag/log.h"
#include "music/music_player.h"
#include "platform/win32/windows.h"
#include "render/display.h"
#include "render/scene_renderer.h"
#include "scene/scene.h"
#include "state/engine_state.h"
#include "texture/texture_cache.h"

void AddAction(ActionList* list, int32_t time, int32_t type, float argument) {
    AddActionFrom(list, list, time, type, argument);
}

Action* AddActionFrom(ActionList* list, Action* from, int32_t time, int32_t type, float argument) {
    if (!list) return nullptr;
    // A time before the show's start is performed at its start; written as is,
    // it would land in the sentinel and never be performed.
    if (time < 0) time = 0;
    Action* node = static_cast<Action*>(std::calloc(1, sizeof(Action)));
    if (!node) return nullptr;
    // Every node before from has a time no greater than from's, so the place
    // is the same whether the walk starts there or at the head.
    Action* at = from && from->time <= time ? from : list;
    // Find the first node whose time is greater; equal times stay in the order added.
    while (!(time < at->time) && at->next) at = at->next;
    if (!(time < at->time)) {
        at->next = node;
        node->time = time;
        node->type = type;
        node->argument = argument;
        return node;
    }
    // Take over at's place: its action moves into the new node behind it.
    node->next = at->next;
    node->time = at->time;
    node->type = at->type;
    node->argument = at->argument;
    at->next = node;
    at->time = time;
    at->type = type;
    at->argument = argument;
    return at;
}

void RemoveAction(ActionList* list, Action* node) {
    if (!list || !node) return;
    for (Action* at = list; at->next; at = at->next) {
        if (at->next == node) {
            at->next = node->next;
            std::free(node);
            return;
        }
    }
}

void ClearActionList(ActionList* list) {
    if (!list) return;
    Action* node = list->next;
    while (node) {
        Action* next = node->next;
        std::free(node);
        node = next;
    }
    *list = Action{};
}

namespace {

// Set by a preview that runs a show up to a time: holds are taken whole.
bool holdsTakenWhole = false;

}  // namespace

void TakeHoldsWhole(bool whole) { holdsTakenWhole = whole; }

// Sleeps for the given milliseconds; a negative or absurd length is clamped
// rather than converted out of range. Key presses are handled while it waits,
// so that Escape ends a hold at once instead of after it.
void HoldFor(float milliseconds) {
    if (!(milliseconds > 0.0f)) return;
    if (milliseconds >= 4294967295.0f) milliseconds = 4294967295.0f;
    const DWORD length = static_cast<DWORD>(milliseconds);
    if (holdsTakenWhole) {
        Sleep(length);
        return;
    }
    const DWORD start = timeGetTime();
    for (DWORD waited = 0; waited < length && !exitRequested; waited = timeGetTime() - start) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, length - waited, QS_KEY) == WAIT_TIMEOUT)
            break;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_KEYDOWN, WM_KEYUP, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

namespace {

void ResetFrameRateWindow() {
    fpsFrameCount = 0;
    fpsWindowStart = timeGetTime();
}

// The index an action's argument names, truncated toward zero; -1 for values
// no array could hold.
int ArgumentIndex(float argument) {
    if (!(argument > -1.0f && argument < 2147483520.0f)) return -1;
    return static_cast<int>(argument);
}

// The scene an action may work on, or null (with the reason logged) when the
// index is outside the array or the scene holds nothing.
Scene* SceneForAction(int index, int32_t type) {
    if (index < 0 || index >= sceneCount || !scenes) {
        WriteLogFormat("ERROR:\t\tscene_nr: %d\tno such scene, action type %d skipped", index + 1,
                       type);
        return nullptr;
    }
    Scene* scene = &scenes[index];
    if (scene->frameCount <= 0) {
        WriteLogFormat("ERROR:\t\tscene_nr: %d\tscene not loaded, action type %d skipped",
                       index + 1, type);
        return nullptr;
    }
    return scene;
}

MusicTrack* TrackForAction(int index, int32_t type) {
    if (index < 0 || index >= musicTrackCount || !musicTracks) {
        WriteLogFormat("ERROR:\t\tmusic_nr: %d\tno such music track, action type %d skipped",
                       index + 1, type);
        return nullptr;
    }
    return &musicTracks[index];
}

// Removes every node of renderList that plays the given scene.
void DropFromRenderList(int index) {
    Action* node = renderList.next;
    while (node) {
        Action* next = node->next;
        if (ArgumentIndex(node->argument) == index) RemoveAction(&renderList, node);
        node = next;
    }
}

void StartScene(const Action& action, Scene* scene, bool looped) {
    AddAction(&renderList, action.time, kActionPlayScene, action.argument);
    scene->startTime = action.time;
    if (looped) scene->looping = 1;
}

void PreloadTextures(IDirect3DDevice7* device, int index, Scene* scene) {
    for (int i = 0; i < scene->drawStyleCount; ++i) {
        DrawStyle& style = scene->drawStyles[i];
        if (!style.textureName) continue;
        if (style.textureResident == 0) RestoreTexture(style.textureName, device);
        IDirectDrawSurface7* surface = GetTextureSurface(style.textureName);
        if (device && surface) device->PreLoad(surface);
        style.textureResident = 1;
        style.texturePreloaded = 1;
        WriteLogFormat("ActionTimeStamp:\t\t\tscene_nr: %d\ttexture preloaded: %s", index + 1,
                       style.textureName);
    }
}

void ReleaseTextures(Scene* scene) {
    for (int i = 0; i < scene->drawStyleCount; ++i) {
        DrawStyle& style = scene->drawStyles[i];
        if (!style.textureName) continue;
        ReleaseTextureSurface(style.textureName);
        DeleteTexture(style.textureName);
        style.textureResident = 0;
        WriteLogFormat("ActionTimeStamp:\t\t\ttexture released: %s", style.textureName);
    }
}

void PerformAction(IDirect3DDevice7* device, const Action& action) {
    int index = ArgumentIndex(action.argument);
    switch (action.type) {
        case kActionPlayScene:
        case kActionPlaySceneLooped:
            if (Scene* scene = SceneForAction(index, action.type))
                StartScene(action, scene, action.type == kActionPlaySceneLooped);
            break;
        case kActionPlayMusic:
            if (MusicTrack* track = TrackForAction(index, action.type)) PlayMusic(track);
            break;
        case kActionStopMusic:
            if (MusicTrack* track = TrackForAction(index, action.type)) StopMusic(track);
            break;
        case kActionHold:
            HoldFor(action.argument);
            break;
        case kActionUnloadScene:
            if (Scene* scene = SceneForAction(index, action.type)) {
                // A scene still playing leaves the render list before its data goes.
                DropFromRenderList(index);
                FreeScene(scene);
            }
            break;
        case kActionStopScene:
            if (Scene* scene = SceneForAction(index, action.type)) {
                scene->currentFrame = static_cast<float>(scene->frameCount);
                scene->looping = 0;
            }
            break;
        case kActionPreloadTextures:
            if (Scene* scene = SceneForAction(index, action.type))
                PreloadTextures(device, index, scene);
            break;
        case kActionReleaseTextures:
            if (Scene* scene = SceneForAction(index, action.type)) ReleaseTextures(scene);
            break;
        default:
            break;
    }
}

// The frame a playing scene has reached, as a 32-bit float.
float FrameAt(int32_t elapsed, const Scene& scene) {
    return static_cast<float>((elapsed - scene.startTime) / 1000.0 * scene.framesPerSecond);
}

// currentFrame truncated toward zero, safe for any float.
int64_t WholeFrame(float frame) {
    if (!(frame > -1e18f && frame < 1e18f)) return frame > 0 ? INT64_MAX : INT64_MIN;
    return static_cast<int64_t>(frame);
}

}  // namespace

void AdvanceTimeline(IDirect3DDevice7* device) {
    PerformDueAction(device);
    RenderPlayingScenes(device);
}

void PerformDueAction(IDirect3DDevice7* device) {
    if (!timelineStarted) {
        actionCursor = actionList.next;
        timelineStarted = 1;
    }
    if (actionCursor) {
        int32_t elapsed = static_cast<int32_t>(timeGetTime() - showStartTime);
        if (elapsed >= actionCursor->time) {
            WriteLogFormat("CheckTime:\t\t\t\t%f current time, %d action type", elapsed / 1000.0,
                           actionCursor->type);
            ResetFrameRateWindow();
            Action performed = *actionCursor;
            actionCursor = actionCursor->next;
            PerformAction(device, performed);
        }
    }
}

void RenderPlayingScenes(IDirect3DDevice7* device) { StepPlayingScenes(device, true); }

void StepPlayingScenes(IDirect3DDevice7*, bool draw) {
    if (!renderList.next && !actionCursor) {
        exitRequested = 1;
        WriteLog("Time:\t\t\t\tDemoExit");
    }
    Action* node = renderList.next;
    while (node) {
        Action* next = node->next;
        int index = ArgumentIndex(node->argument);
        Scene* scene = index >= 0 && index < sceneCount && scenes ? &scenes[index] : nullptr;
        if (node->type != kActionPlayScene || !scene) {
            node = next;
            continue;
        }
        int32_t elapsed = static_cast<int32_t>(timeGetTime() - showStartTime);
        if (WholeFrame(scene->currentFrame) < scene->frameCount) {
            if (draw) {
                // The lights go on the device the renderer draws on.
                EnableSceneLights(scene, d3dDevice);
                RenderScene(scene);
                DisableSceneLights(scene, d3dDevice);
            }
            scene->currentFrame = FrameAt(elapsed, *scene);
            if (scene->looping && scene->currentFrame >= static_cast<float>(scene->frameCount)) {
                scene->startTime = elapsed;
                scene->currentFrame = 0.0f;
                WriteLogFormat("ActionTimeStamp:\t\t\t\tloop render scene, number: %d time: %f",
                               index + 1, elapsed / 1000.0);
            }
        } else {
            WriteLogFormat(
                "ActionTimeStamp:\t\t\t\trender scene done, number: %d frame: %f, time: %f",
                index + 1, static_cast<double>(scene->currentFrame), elapsed / 1000.0);
            ResetFrameRateWindow();
            scene->currentFrame = 0.0f;
            RemoveAction(&renderList, node);
        }
        node = next;
    }
    ++fpsFrameCount;
    ++frameCounter;
}
