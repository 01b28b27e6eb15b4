// Stand-ins for every subsystem that the start-up and the run sequence call,
// so that the tests see the order of the calls and what they were given.
#include "app/startup_fakes.h"

#include <cstdlib>
#include <cstring>

#include "app/config_dialog.h"
#include "app/settings.h"
#include "data/data_archive.h"
#include "music/music_player.h"
#include "render/display.h"
#include "scene/scene.h"
#include "show/free_show.h"
#include "show/main_loop.h"
#include "show/play_script.h"
#include "state/engine_state.h"

StartupRecord startup;

IDirect3DDevice7* d3dDevice = nullptr;
DisplayDevice displayDevices[kDisplayDeviceSlots];
int32_t selectedDevice = 0;
int32_t selectedMode = 0;
IDirectDrawSurface7* primarySurface = nullptr;
IDirectDrawSurface7* backBuffer = nullptr;
IDirectDrawSurface7* zBuffer = nullptr;
int32_t displayDeviceCounter = 0;

int SelectDisplayDevice(HWND window, int width, int height) {
    startup.calls.push_back("SelectDisplayDevice " + std::to_string(width) + "x" +
                            std::to_string(height) + (window ? "" : " without window") +
                            " command line \"" + commandLine + "\"");
    return 1;
}

HRESULT CreateDisplay(HWND) {
    startup.calls.push_back("CreateDisplay");
    return 0;
}

int InitRenderStates(IDirect3DDevice7*) {
    startup.calls.push_back("InitRenderStates");
    return 0;
}

HRESULT PresentFrame() { return S_OK; }

int LoadSettings() {
    startup.calls.push_back("LoadSettings");
    // A settings file may name other files; the run must not use them.
    std::strcpy(archiveFileName, "OTHER.QXD");
    std::strcpy(scriptFileName, "OTHER.QXP");
    return startup.settingsAutorun;
}

// A dialog of OK and Cancel alone, ended by either.
INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
    if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
    return TRUE;
}

namespace {

const DLGITEMRESOURCE kButtons[] = {
    {"BUTTON", "OK", IDOK, 7, 186, 50, 14, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON},
    {"BUTTON", "Cancel", IDCANCEL, 272, 186, 50, 14, WS_CHILD | WS_VISIBLE},
};
const DLGRESOURCE kDialog = {101, "Velmora Engine", WS_POPUP, 0, 0, 0, 329, 207, "MS Sans Serif", 8, kButtons, 2};
[[maybe_unused]] const bool registered = RegisterDialogResource(&kDialog);

}  // namespace

void LoadDataArchive(const char* fileName) {
    startup.calls.push_back(std::string("LoadDataArchive ") + fileName);
}

int ReadPlayScript(char* fileName, IDirect3DDevice7*) {
    startup.calls.push_back(std::string("ReadPlayScript ") + fileName);
    sceneCount = 3;
    scenes = static_cast<Scene*>(std::calloc(3, sizeof(Scene)));
    musicTrackCount = 2;
    static MusicTrack tracks[2];
    musicTracks = tracks;
    return 1;
}

int MainLoop() {
    startup.calls.push_back("MainLoop frame " + std::to_string(frameCounter) + " started " +
                            std::to_string(timelineStarted));
    frameCounter = startup.framesToPlay;
    return 1;
}

void PlayMusic(MusicTrack*) {}

void StopMusic(MusicTrack* track) {
    startup.calls.push_back("StopMusic " + std::to_string(track - musicTracks));
}

void FreeScene(Scene* scene) {
    startup.calls.push_back("FreeScene " + std::to_string(scene - scenes));
}

// The show's teardown as the run sequence sees it: every scene freed in turn.
void FreeShow() {
    for (int i = 0; i < sceneCount; ++i) FreeScene(&scenes[i]);
    std::free(scenes);
    scenes = nullptr;
    sceneCount = 0;
    musicTracks = nullptr;
    musicTrackCount = 0;
}
