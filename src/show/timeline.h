// The action timeline: timed actions performed one per frame by the clock,
// and the list of scenes now playing.
#pragma once

#include <cstdint>

#include "platform/ddraw/d3d.h"

struct Action {
    Action* next;
    int32_t time;  // milliseconds since showStartTime
    int32_t type;  // one of the ActionType codes
    float argument;  // a scene or track index, or milliseconds for a hold
};

// A sentinel node held by value; its next is the first real action.
typedef Action ActionList;

enum ActionType : int32_t {
    kActionPlayScene = 1,
    kActionPlayMusic = 2,
    kActionStopMusic = 3,
    kActionHold = 4,
    kActionUnloadScene = 5,
    kActionStopScene = 6,
    kActionPlaySceneLooped = 7,
    kActionPreloadTextures = 8,
    kActionReleaseTextures = 9,
};

void AddAction(ActionList* list, int32_t time, int32_t type, float argument);
void RemoveAction(ActionList* list, Action* node);
// Frees every node of a list and leaves it empty.
void ClearActionList(ActionList* list);
void AdvanceTimeline(IDirect3DDevice7* device);
void RenderPlayingScenes(IDirect3DDevice7* device);
void HoldFor(float milliseconds);
