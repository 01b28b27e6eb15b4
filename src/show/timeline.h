// The action timeline: timed actions performed one per frame by the clock,
// and the list of scenes now playing.
#pragma once

#include <cstdint>

#include "platform/ddraw/d3d.h"
#include "state/action.h"

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
