#include "state/engine_state.h"

int32_t screenWidth = 640;
int32_t screenHeight = 480;
char commandLine[kCommandLineSize];
char sceneFileName[kFileNameSize];
char musicFileName[kFileNameSize];
char scriptFileName[kFileNameSize];
char archiveFileName[kFileNameSize];
Scene* scenes = nullptr;
int32_t sceneCount = 0;
MusicTrack* musicTracks = nullptr;
int32_t musicTrackCount = 0;
uint32_t showStartTime = 0;
int32_t frameCounter = 0;
ActionList actionList;
Action* actionCursor = nullptr;
int timelineStarted = 0;
ActionList renderList;
int32_t fpsFrameCount = 0;
uint32_t fpsWindowStart = 0;
int exitRequested = 0;
int showStatistics = 0;
