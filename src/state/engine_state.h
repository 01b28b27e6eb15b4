// The engine's process-wide run state, through which the run sequence, the
// main loop, the timeline, the play script and the statistics talk. It stands
// below every floor that reads it, so it knows scenes and music tracks only by
// pointer; their records are declared by the scene and music floors.
#pragma once

#include <cstdint>

#include "state/action.h"

struct Scene;
struct MusicTrack;

constexpr int kCommandLineSize = 100;
constexpr int kFileNameSize = 512;

extern int32_t screenWidth;
extern int32_t screenHeight;
extern char commandLine[kCommandLineSize];
extern char sceneFileName[kFileNameSize];
extern char musicFileName[kFileNameSize];
extern char scriptFileName[kFileNameSize];
extern char archiveFileName[kFileNameSize];
extern Scene* scenes;
extern int32_t sceneCount;
extern MusicTrack* musicTracks;
extern int32_t musicTrackCount;
extern uint32_t showStartTime;
extern int32_t frameCounter;
extern ActionList actionList;
extern Action* actionCursor;
extern int timelineStarted;
extern ActionList renderList;
extern int32_t fpsFrameCount;
extern uint32_t fpsWindowStart;
extern int exitRequested;
extern int showStatistics;
