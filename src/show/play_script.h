// The play script: scenes, music tracks and the timeline of a show.
#pragma once

#include <cstdint>

#include "data/memory_file.h"
#include "platform/ddraw/d3d.h"
#include "show/timeline.h"

// Reads the named script into scenes, musicTracks and actionList, loading
// every scene that has a load line. 0 when the script cannot be opened. The
// name is cut in place when local paths are on.
int ReadPlayScript(char* fileName, IDirect3DDevice7* device);

// Told where each line begins and ends as the reader takes it, on the file the
// reader reads (after LF-only line ends were widened). The script checker
// listens; the player sets none, and a watch changes nothing the reader does.
class ScriptLineWatch {
public:
    virtual ~ScriptLineWatch() = default;
    virtual void LineBegins(const MemoryFile& file, int32_t position) = 0;
    virtual void LineEnds(const MemoryFile& file, int32_t position) = 0;
    // An action the line put on actionList, as it was stored there.
    virtual void ActionAdded(const Action& action) { (void)action; }
};
// The watch for the scripts read from now on; null for none.
void WatchScriptLines(ScriptLineWatch* watch);
