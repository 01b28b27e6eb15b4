// The configuration dialog, resource 101: device, resolution, low-detail
// textures, and (hidden) the file choices, autorun, local path and saving.
#pragma once

#include "platform/win32/windows.h"

constexpr int kConfigDialogId = 101;

// The template's control numbers.
enum ConfigControl {
    kHardwareDeviceLabel = 1002,
    kOpenSceneButton = 1008,
    kSceneNameEdit = 1009,
    kMusicNameEdit = 1010,
    kOpenMusicButton = 1011,
    kScriptNameEdit = 1012,
    kOpenScriptButton = 1013,
    kSaveSettingsButton = 1014,
    kAutorunCheck = 1015,
    kLocalPathCheck = 1016,
    kClearSceneButton = 1017,
    kClearMusicButton = 1018,
    kClearScriptButton = 1019,
    kArchiveNameEdit = 1020,
    kOpenArchiveButton = 1021,
    kClearArchiveButton = 1022,
    kLowTexturesCheck = 1024,
};

// The template, linked in like a compiled resource script.
extern const DLGRESOURCE configDialogResource;

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// Shows the four file names in their edits and sets "Local path" when localPath is 1.
void FillDialogFromSettings(HWND dialog);
