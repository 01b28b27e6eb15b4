#include "app/run_show.h"

#include <cstdlib>
#include <cstring>

#include "app/engine_state.h"
#include "data/data_archive.h"
#include "diag/statistics.h"
#include "music/music_player.h"
#include "platform/win32/windows.h"
#include "render/display.h"
#include "scene/scene.h"
#include "show/main_loop.h"
#include "show/play_script.h"
#include "show/timeline.h"

void RunShow() {
    // The show is always this archive and this script, whatever the settings say.
    std::strcpy(archiveFileName, "MORVAST.QXD");
    std::strcpy(scriptFileName, "MORVAST.QXP");
    frameCounter = 0;
    actionList.next = nullptr;
    timelineStarted = 0;

    LoadDataArchive(archiveFileName);
    ReadPlayScript(scriptFileName, d3dDevice);
    showStartTime = timeGetTime();
    MainLoop();

    for (int i = 0; i < musicTrackCount; ++i) StopMusic(&musicTracks[i]);
    // Records that hold nothing release nothing, so every entry can be freed.
    for (int i = 0; i < sceneCount; ++i) FreeScene(&scenes[i]);
    std::free(scenes);
    scenes = nullptr;
    sceneCount = 0;

    Sleep(1000);
    LogMemoryStatistics();
    LogRunStatistics(frameCounter, showStartTime);
    LogDeviceStatistics();
}
