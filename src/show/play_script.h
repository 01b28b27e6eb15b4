// The play script: scenes, music tracks and the timeline of a show.
#pragma once

#include "platform/ddraw/d3d.h"

// Reads the named script into scenes, musicTracks and actionList.
void ReadPlayScript(const char* fileName, IDirect3DDevice7* device);
