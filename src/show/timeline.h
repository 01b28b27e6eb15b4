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
// One frame's work: PerformDueAction, then RenderPlayingScenes.
void AdvanceTimeline(IDirect3DDevice7* device);
// The action due now, at most one a frame.
void PerformDueAction(IDirect3DDevice7* device);
// The playing scenes drawn and moved on to the clock's time.
void RenderPlayingScenes(IDirect3DDevice7* device);
// The same, drawing only when draw is set: a preview that runs a show up to
// a time moves every scene on exactly as a drawn frame would, without drawing.
void StepPlayingScenes(IDirect3DDevice7* device, bool draw);
void HoldFor(float milliseconds);
// With whole set, a hold ends only when its length has passed, whatever keys
// come meanwhile: a preview reaching a time takes every hold as the plain
// run takes it untouched. Off (the player's way) until set.
void TakeHoldsWhole(bool whole);
