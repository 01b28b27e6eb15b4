// The timed actions of a show as the run state's lists hold them: the
// timeline of the play script and the list of scenes now playing.
#pragma once

#include <cstdint>

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
