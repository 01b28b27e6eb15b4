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

// The latest time an action may have, 2^30 - 1 ms (about 12.4 days): half the
// clock's signed range, so that a show that gets there still has as long again
// of frames before its clock would wrap.
constexpr int32_t kLatestActionTime = 1073741823;

void AddAction(ActionList* list, int32_t time, int32_t type, float argument);
// AddAction walking from the node from instead of from the list's head, for
// actions that come mostly in time order: from must be the list itself or one
// of its nodes; one whose time is above the new time is not used. Returns the
// node that now holds the new action, which is such a start for any later
// action of the same or a later time; null when no node could be had.
Action* AddActionFrom(ActionList* list, Action* from, int32_t time, int32_t type, float argument);
void RemoveAction(ActionList* list, Action* node);
// Frees every node of a list and leaves it empty.
void ClearActionList(ActionList* list);
void AdvanceTimeline(IDirect3DDevice7* device);
void RenderPlayingScenes(IDirect3DDevice7* device);
void HoldFor(float milliseconds);
