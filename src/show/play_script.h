// The play script: scenes, music tracks and the timeline of a show.
#pragma once

#include "platform/ddraw/d3d.h"

// Reads the named script into scenes, musicTracks and actionList, loading
// every scene that has a load line. 0 when the script cannot be opened. The
// name is cut in place when local paths are on.
int ReadPlayScript(char* fileName, IDirect3DDevice7* device);
