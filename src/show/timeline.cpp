#include "show/timeline.h"

#include <cstdlib>

#include "app/engine_state.h"
#include "diag/log.h"
#include "music/music_player.h"
#include "platform/win32/windows.h"

void AddAction(ActionList* list, int32_t time, int32_t type, float argument) {
    if (!list) return;
    Action* node = static_cast<Action*>(std::calloc(1, sizeof(Action)));
    if (!node) return;
    // Find the first node whose time is greater; equal times stay in the order added.
    Action* at = list;
    while (!(time < at->time) && at->next) at = at->next;
    if (!(time < at->time)) {
        at->next = node;
        node->time = time;
        node->type = type;
        node->argument = argument;
        return;
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

void HoldFor(float milliseconds) { Sleep(static_cast<DWORD>(milliseconds)); }

namespace {

void ResetFrameRateWindow() {
    fpsFrameCount = 0;
    fpsWindowStart = timeGetTime();
}

// Scene actions arrive with the scene model; the clock and music ones are here.
void PerformAction(const Action& action) {
    int index = static_cast<int>(action.argument);
    switch (action.type) {
        case kActionPlayMusic:
            if (index >= 0 && index < musicTrackCount) PlayMusic(&musicTracks[index]);
            break;
        case kActionStopMusic:
            if (index >= 0 && index < musicTrackCount) StopMusic(&musicTracks[index]);
            break;
        case kActionHold:
            HoldFor(action.argument);
            break;
        default:
            break;
    }
}

}  // namespace

void AdvanceTimeline(IDirect3DDevice7* device) {
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
            PerformAction(*actionCursor);
            actionCursor = actionCursor->next;
        }
    }
    RenderPlayingScenes(device);
}

void RenderPlayingScenes(IDirect3DDevice7*) {
    if (!renderList.next && !actionCursor) {
        exitRequested = 1;
        WriteLog("Time:\t\t\t\tDemoExit");
    }
    ++fpsFrameCount;
    ++frameCounter;
}
