#include "app/run_show.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/command_line.h"
#include "data/data_archive.h"
#include "music/music_player.h"
#include "platform/win32/windows.h"
#include "render/display.h"
#include "show/free_show.h"
#include "show/main_loop.h"
#include "show/play_script.h"
#include "show/show_files.h"
#include "show/statistics.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace {

// Started in the wrong folder the show is over after one black frame; the log
// says why only when it is switched on, so say it where a user looks.
void SayNoShow() {
    std::FILE* archive = std::fopen(archiveFileName, "rb");
    if (archive) std::fclose(archive);
    if (!archive)
        std::fprintf(stderr, "velmora: no show to play: neither %s nor %s is in %s\n", archiveFileName,
                     scriptFileName, ShowFolderName());
    else
        std::fprintf(stderr, "velmora: no show to play: %s is neither in %s nor in %s\n", scriptFileName,
                     archiveFileName, ShowFolderName());
}

}  // namespace

void RunShow() {
    // The show is always this archive and this script, whatever the settings say.
    std::strcpy(archiveFileName, kShowArchiveName);
    std::strcpy(scriptFileName, kShowScriptName);
    frameCounter = 0;
    actionList.next = nullptr;
    timelineStarted = 0;

    LoadDataArchive(archiveFileName);
    if (!ReadPlayScript(scriptFileName, d3dDevice)) SayNoShow();
    showStartTime = timeGetTime();
    MainLoop();

    for (int i = 0; i < musicTrackCount; ++i) StopMusic(&musicTracks[i]);
    FreeShow();

    Sleep(1000);
    LogMemoryStatistics();
    LogRunStatistics(frameCounter, showStartTime);
    LogDeviceStatistics();
}
