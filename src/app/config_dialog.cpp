#include "app/config_dialog.h"

#include <cstring>

#include "app/settings.h"
#include "data/data_archive.h"
#include "render/display.h"
#include "state/engine_state.h"
#include "texture/texture_container.h"

namespace {

// The template comes with its procedure, as a resource section comes with the
// program; registered here so that linking the procedure links the template.
[[maybe_unused]] const bool templateRegistered = RegisterDialogResource(&configDialogResource);

// The device the next list refill selects: the one last picked in the device list.
int rememberedDevice = 0;
// The device whose modes the mode list shows. The pre-selection may be a
// device the device list hides (a T&L one), so the device list can stand
// empty while the mode list shows that device's modes.
int modeListDevice = 0;

void FillLists(HWND dialog, int device, int mode) {
    modeListDevice = device;
    FillDeviceLists(dialog, device, mode);
}

struct FileChoice {
    const char* title;
    const char* filter;  // description, pattern, then the empty string
    char* variable;
};

// Asks for a file with the name in variable as the proposal; the chosen path
// lands in the variable itself. True when a file was chosen.
bool AskForFile(HWND dialog, const FileChoice& choice) {
    static char fileTitle[kFileNameSize];
    OPENFILENAMEA request;
    std::memset(&request, 0, sizeof request);
    request.lStructSize = sizeof request;
    request.hwndOwner = dialog;
    request.lpstrFilter = choice.filter;
    request.nFilterIndex = 1;
    request.lpstrFile = choice.variable;
    request.nMaxFile = kFileNameSize;
    request.lpstrFileTitle = fileTitle;
    request.nMaxFileTitle = sizeof fileTitle;
    request.lpstrInitialDir = "p:\\windows\\rb\\data";
    request.lpstrTitle = choice.title;
    request.Flags = OFN_FILEMUSTEXIST;
    request.lpstrDefExt = "";
    return GetOpenFileNameA(&request) != FALSE;
}

const FileChoice kSceneChoice = {"Open Velmora 3D File", "QX3 Files (*.QX3)\0*.QX3\0", sceneFileName};
const FileChoice kMusicChoice = {"Open Music File",
                                 "Music Files (*.MOD;*.S3M;*.XM;*.IT;*.MP3;*.WAV)\0"
                                 "*.MOD;*.S3M;*.XM;*.IT;*.MP3;*.WAV\0",
                                 musicFileName};
const FileChoice kScriptChoice = {"Open Velmora Play File", "QXP Files (*.QXP)\0*.QXP\0",
                                  scriptFileName};
const FileChoice kArchiveChoice = {"Open Velmora Data File", "QXD Files (*.QXD)\0*.QXD\0",
                                   archiveFileName};

void ClearName(HWND dialog, int edit, char* variable) {
    variable[0] = '\0';
    SetDlgItemTextA(dialog, edit, "");
}

// The device-table slot behind a device-list position; -1 for no selection.
int ListedDevice(LRESULT position) {
    if (position < 0 || position >= kDisplayDeviceSlots) return -1;
    return listedDevices[position];
}

// OK: the picked device and mode become the selection. With no device picked
// the mode picked is one of the device the mode list shows, and is taken for
// it; with no mode picked the pre-selection stands, rather than an index from -1.
void AcceptSelection(HWND dialog) {
    int device = ListedDevice(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCURSEL, 0, 0));
    if (device < 0) device = modeListDevice;
    LRESULT mode = SendDlgItemMessageA(dialog, kModeComboBox, CB_GETCURSEL, 0, 0);
    if (device >= 0 && device < kDisplayDeviceSlots && mode >= 0 &&
        static_cast<uint32_t>(mode) < displayDevices[device].modeCount && mode < kModesPerDevice) {
        selectedDevice = device;
        selectedMode = static_cast<int32_t>(mode);
        DisplayDevice& record = displayDevices[device];
        record.chosenModeIndex = static_cast<uint32_t>(mode);
        record.modeChosen = 1;
        record.chosenMode = record.modes[mode];
        screenWidth = static_cast<int32_t>(record.chosenMode.dwWidth);
        screenHeight = static_cast<int32_t>(record.chosenMode.dwHeight);
        // The desktop-window entry has no size of its own: it takes the desktop's.
        if (screenWidth == 0 || screenHeight == 0) {
            screenWidth = GetSystemMetrics(SM_CXSCREEN);
            screenHeight = GetSystemMetrics(SM_CYSCREEN);
        }
    }
    localPath = IsDlgButtonChecked(dialog, kLocalPathCheck) == BST_CHECKED ? 1 : 0;
    lowTextures = IsDlgButtonChecked(dialog, kLowTexturesCheck) == BST_CHECKED ? 1 : 0;
}

}  // namespace

void FillDialogFromSettings(HWND dialog) {
    SetDlgItemTextA(dialog, kSceneNameEdit, sceneFileName);
    SetDlgItemTextA(dialog, kScriptNameEdit, scriptFileName);
    SetDlgItemTextA(dialog, kMusicNameEdit, musicFileName);
    SetDlgItemTextA(dialog, kArchiveNameEdit, archiveFileName);
    if (localPath == 1) CheckDlgButton(dialog, kLocalPathCheck, BST_CHECKED);
}

INT_PTR CALLBACK ConfigDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        FillDialogFromSettings(dialog);
        FillLists(dialog, selectedDevice, selectedMode);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;

    bool fromModeList = false;
    switch (LOWORD(wParam)) {
        case IDOK:
            AcceptSelection(dialog);
            EndDialog(dialog, 1);
            break;
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        case kDeviceComboBox: {
            int device = ListedDevice(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCURSEL, 0, 0));
            if (device >= 0) rememberedDevice = device;
            break;
        }
        case kModeComboBox:
            fromModeList = true;
            break;
        case kOpenSceneButton:
            if (AskForFile(dialog, kSceneChoice)) {
                ClearName(dialog, kScriptNameEdit, scriptFileName);
                SetDlgItemTextA(dialog, kSceneNameEdit, sceneFileName);
            }
            break;
        case kOpenMusicButton:
            if (AskForFile(dialog, kMusicChoice)) {
                ClearName(dialog, kScriptNameEdit, scriptFileName);
                SetDlgItemTextA(dialog, kMusicNameEdit, musicFileName);
            }
            break;
        case kOpenScriptButton:
            if (AskForFile(dialog, kScriptChoice)) {
                SetDlgItemTextA(dialog, kScriptNameEdit, scriptFileName);
                ClearName(dialog, kMusicNameEdit, musicFileName);
                ClearName(dialog, kSceneNameEdit, sceneFileName);
            }
            break;
        case kOpenArchiveButton:
            if (AskForFile(dialog, kArchiveChoice)) SetDlgItemTextA(dialog, kArchiveNameEdit, archiveFileName);
            break;
        case kSaveSettingsButton:
            SaveSettings(dialog);
            break;
        case kClearSceneButton:
            ClearName(dialog, kSceneNameEdit, sceneFileName);
            break;
        case kClearMusicButton:
            ClearName(dialog, kMusicNameEdit, musicFileName);
            break;
        case kClearScriptButton:
            ClearName(dialog, kScriptNameEdit, scriptFileName);
            break;
        case kClearArchiveButton:
            ClearName(dialog, kArchiveNameEdit, archiveFileName);
            break;
        default:
            break;  // the check boxes toggle themselves
    }
    // A device picked in the device list refills both lists with its first mode.
    if (HIWORD(wParam) == CBN_SELENDOK && !fromModeList) FillLists(dialog, rememberedDevice, 0);
    return TRUE;
}
