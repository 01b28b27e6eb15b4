// The configuration dialog's template, as its resource script declares it:
// the device and mode lists, the low-textures box, three notes, OK and Cancel
// shown; the file choices, autorun, local path and saving created hidden.
#include "app/config_dialog.h"

namespace {

constexpr DWORD kShown = WS_CHILD | WS_VISIBLE;
constexpr DWORD kHidden = WS_CHILD;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kNameEdit = ES_AUTOHSCROLL | ES_READONLY | WS_BORDER | WS_TABSTOP;
constexpr DWORD kCheck = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kNote = SS_LEFT | WS_GROUP;

const DLGITEMRESOURCE kItems[] = {
    {"BUTTON", "OK", IDOK, 7, 186, 50, 14, kShown | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"BUTTON", "Cancel", IDCANCEL, 272, 186, 50, 14, kShown | kButton},
    {"COMBOBOX", "", 1000, 69, 16, 133, 71, kShown | kList},
    {"COMBOBOX", "", 1001, 69, 32, 133, 71, kShown | kList},
    {"STATIC", "Harware device", kHardwareDeviceLabel, 7, 16, 51, 8, kShown | kNote},
    {"STATIC", "Mode (resolution)", IDC_STATIC, 7, 32, 55, 8, kShown | kNote},
    {"BUTTON", "Open QX3 file", kOpenSceneButton, 7, 77, 58, 14, kHidden | kButton},
    {"EDIT", "", kSceneNameEdit, 69, 77, 133, 14, kHidden | kNameEdit},
    {"EDIT", "", kMusicNameEdit, 69, 94, 133, 14, kHidden | kNameEdit},
    {"BUTTON", "Open Music file", kOpenMusicButton, 7, 94, 58, 14, kHidden | kButton},
    {"EDIT", "", kScriptNameEdit, 69, 112, 133, 14, kHidden | kNameEdit},
    {"BUTTON", "Open QXP file", kOpenScriptButton, 7, 112, 58, 14, kHidden | kButton},
    {"BUTTON", "Save settings", kSaveSettingsButton, 7, 153, 58, 14, kHidden | kButton},
    {"BUTTON", "Autorun", kAutorunCheck, 69, 155, 41, 10, kHidden | kCheck},
    {"BUTTON", "Local path", kLocalPathCheck, 69, 167, 49, 10, kHidden | kCheck},
    {"BUTTON", "Clear QX3 file", kClearSceneButton, 207, 77, 58, 14, kHidden | kButton},
    {"BUTTON", "Clear Music file", kClearMusicButton, 207, 94, 58, 14, kHidden | kButton},
    {"BUTTON", "Clear QXP file", kClearScriptButton, 207, 112, 58, 14, kHidden | kButton},
    {"EDIT", "", kArchiveNameEdit, 69, 131, 133, 14, kHidden | kNameEdit},
    {"BUTTON", "Open QXD file", kOpenArchiveButton, 7, 131, 58, 14, kHidden | kButton},
    {"BUTTON", "Clear QXD file", kClearArchiveButton, 207, 131, 58, 14, kHidden | kButton},
    {"BUTTON", "Low textures (max 256x256)", kLowTexturesCheck, 69, 49, 104, 10, kShown | kCheck},
    {"STATIC", "Load time < 30 sec", IDC_STATIC, 207, 18, 61, 8, kShown | kNote},
    {"STATIC", "Exit time < 30 sec", IDC_STATIC, 208, 34, 56, 8, kShown | kNote},
    {"STATIC", "Use Geforce AND 32 bit for better performance", IDC_STATIC, 69, 64, 149, 8,
     kShown | kNote},
};

}  // namespace

const DLGRESOURCE configDialogResource = {
    kConfigDialogId,
    "Velmora Engine",
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
    WS_EX_STATICEDGE,
    0, 0, 329, 207,
    "MS Sans Serif", 8,
    kItems,
    sizeof kItems / sizeof kItems[0],
};
