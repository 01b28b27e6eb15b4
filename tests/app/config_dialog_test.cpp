// The configuration dialog's procedure driven by messages, without a display,
// and the template shown through DialogBoxParamA on the null window system.
#include <gtest/gtest.h>

#include <string>

#include "app/config_dialog.h"
#include "data/data_archive.h"
#include "platform/win32/dialog_controls.h"
#include "render/display.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "texture/texture_container.h"

namespace {

class ConfigDialogTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        SelectDisplayDevice(nullptr, 640, 480);
        // A second listed device: the T&L name would keep slot 5 out of the list.
        std::snprintf(displayDevices[5].name, kDeviceNameSize, "Second HAL");
        displayDevices[5].modes[0].dwWidth = 800;
        displayDevices[5].modes[0].dwHeight = 600;
        velmora::platform::ResetDialogControls();
    }
    void TearDown() override {
        localPath = 0;
        lowTextures = 0;
        sceneFileName[0] = scriptFileName[0] = musicFileName[0] = archiveFileName[0] = '\0';
        EngineTest::TearDown();
    }
    INT_PTR Send(UINT message, WPARAM wParam = 0) { return ConfigDialogProc(dialog, message, wParam, 0); }
    void Press(int id) { Send(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED)); }
    void Pick(int list, int position) {
        SendDlgItemMessageA(dialog, list, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
        Send(WM_COMMAND, MAKEWPARAM(list, CBN_SELENDOK));
    }
    LRESULT Selection(int list) { return SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0); }
    LRESULT Count(int list) { return SendDlgItemMessageA(dialog, list, CB_GETCOUNT, 0, 0); }
    std::string Text(int id) {
        char text[600];
        GetDlgItemTextA(dialog, id, text, sizeof text);
        return text;
    }
    bool Ended(INT_PTR& result) { return velmora::platform::DialogEnded(dialog, result); }

    HWND dialog = reinterpret_cast<HWND>(0x7777);
};

TEST_F(ConfigDialogTest, OpensWithTheSelectionAndTheSettingsShown) {
    selectedDevice = 5;
    selectedMode = 3;
    localPath = 1;
    std::snprintf(sceneFileName, kFileNameSize, "a.QX3");
    std::snprintf(archiveFileName, kFileNameSize, "d.QXD");
    EXPECT_EQ(Send(WM_INITDIALOG), TRUE);
    ASSERT_EQ(Count(kDeviceComboBox), 2);
    EXPECT_EQ(Selection(kDeviceComboBox), 1);
    EXPECT_EQ(Selection(kModeComboBox), 3);
    EXPECT_EQ(Text(kSceneNameEdit), "a.QX3");
    EXPECT_EQ(Text(kArchiveNameEdit), "d.QXD");
    EXPECT_EQ(Text(kScriptNameEdit), "");
    EXPECT_EQ(IsDlgButtonChecked(dialog, kLocalPathCheck), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(dialog, kLowTexturesCheck), static_cast<UINT>(BST_UNCHECKED));
    // Messages the procedure does not handle answer 0.
    EXPECT_EQ(Send(WM_PAINT), FALSE);
}

TEST_F(ConfigDialogTest, ChangingTheDeviceRefillsWithItsFirstModeAndChangingTheModeDoesNot) {
    selectedDevice = 3;
    selectedMode = 5;
    Send(WM_INITDIALOG);
    Pick(kModeComboBox, 7);
    EXPECT_EQ(Selection(kModeComboBox), 7);  // no refill: the pick stands
    EXPECT_EQ(Selection(kDeviceComboBox), 0);
    Pick(kDeviceComboBox, 1);
    EXPECT_EQ(Selection(kDeviceComboBox), 1);
    EXPECT_EQ(Selection(kModeComboBox), 0);
    EXPECT_EQ(Count(kModeComboBox), static_cast<LRESULT>(displayDevices[5].modeCount));
    // OK takes the new device's first mode.
    Press(IDOK);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 0);
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(screenHeight, 600);
}

TEST_F(ConfigDialogTest, OkSetsTheModeSizeAndTheSwitches) {
    selectedDevice = 3;
    selectedMode = 1;
    Send(WM_INITDIALOG);
    Pick(kModeComboBox, 4);  // the HAL's modes go 640x480x16, x32, 800x600x16, x32, 1024x768x16 ...
    CheckDlgButton(dialog, kLowTexturesCheck, BST_CHECKED);
    Press(kLowTexturesCheck);
    screenWidth = screenHeight = 1;
    Press(IDOK);
    INT_PTR result = -5;
    ASSERT_TRUE(Ended(result));
    EXPECT_EQ(result, 1);
    const DDSURFACEDESC2& mode = displayDevices[3].modes[4];
    EXPECT_EQ(selectedDevice, 3);
    EXPECT_EQ(selectedMode, 4);
    EXPECT_EQ(screenWidth, static_cast<int32_t>(mode.dwWidth));
    EXPECT_EQ(screenHeight, static_cast<int32_t>(mode.dwHeight));
    EXPECT_EQ(displayDevices[3].modeChosen, 1);
    EXPECT_EQ(displayDevices[3].chosenModeIndex, 4u);
    EXPECT_EQ(displayDevices[3].chosenMode.dwWidth, mode.dwWidth);
    EXPECT_EQ(lowTextures, 1);
    EXPECT_EQ(localPath, 0);
}

TEST_F(ConfigDialogTest, CancelChangesNothing) {
    selectedDevice = 3;
    selectedMode = 1;
    Send(WM_INITDIALOG);
    Pick(kDeviceComboBox, 1);
    CheckDlgButton(dialog, kLowTexturesCheck, BST_CHECKED);
    Press(IDCANCEL);
    INT_PTR result = -5;
    ASSERT_TRUE(Ended(result));
    EXPECT_EQ(result, 0);
    EXPECT_EQ(selectedDevice, 3);
    EXPECT_EQ(selectedMode, 1);
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(lowTextures, 0);
    EXPECT_EQ(displayDevices[5].modeChosen, 0);
}

TEST_F(ConfigDialogTest, OkWithEmptyListsKeepsThePreSelection) {
    selectedDevice = 3;
    selectedMode = 1;
    Press(IDOK);  // no WM_INITDIALOG: both lists are empty
    EXPECT_EQ(selectedDevice, 3);
    EXPECT_EQ(selectedMode, 1);
    EXPECT_EQ(screenWidth, 640);
    INT_PTR result = -5;
    ASSERT_TRUE(Ended(result));
    EXPECT_EQ(result, 1);
}

// The stand-in's drivers pre-select the T&L HAL (slot 5), which the device
// list hides: the dialog opens with no device picked and the T&L HAL's modes
// in the mode list. OK takes the mode shown for that device.
TEST_F(ConfigDialogTest, OnAHiddenPreSelectionOkTakesTheModeShownForIt) {
    SelectDisplayDevice(nullptr, 640, 480);  // the table as enumerated, slot 5 named T&L again
    ASSERT_EQ(selectedDevice, 5);
    ASSERT_EQ(selectedMode, 1);
    Send(WM_INITDIALOG);
    ASSERT_EQ(Count(kDeviceComboBox), 1);  // only the HAL is listed
    EXPECT_EQ(Selection(kDeviceComboBox), CB_ERR);
    EXPECT_EQ(Count(kModeComboBox), static_cast<LRESULT>(displayDevices[5].modeCount));
    EXPECT_EQ(Selection(kModeComboBox), 1);

    Pick(kModeComboBox, 3);  // 800 x 600 x 32
    EXPECT_EQ(Selection(kDeviceComboBox), CB_ERR);  // a mode pick refills nothing
    Press(IDOK);
    INT_PTR result = -5;
    ASSERT_TRUE(Ended(result));
    EXPECT_EQ(result, 1);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 3);
    EXPECT_EQ(screenWidth, 800);
    EXPECT_EQ(screenHeight, 600);
    const DisplayDevice& record = displayDevices[5];
    EXPECT_EQ(record.modeChosen, 1);
    EXPECT_EQ(record.chosenModeIndex, 3u);
    EXPECT_EQ(record.chosenMode.dwWidth, 800u);
    EXPECT_EQ(record.chosenMode.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(displayDevices[3].modeChosen, 0);
}

TEST_F(ConfigDialogTest, OnAHiddenPreSelectionOkUntouchedChoosesThePreSelectedMode) {
    SelectDisplayDevice(nullptr, 640, 480);
    Send(WM_INITDIALOG);
    screenWidth = screenHeight = 1;
    Press(IDOK);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 1);
    EXPECT_EQ(screenWidth, 640);
    EXPECT_EQ(screenHeight, 480);
    // The display is set up from the chosen mode: it must be filled.
    EXPECT_EQ(displayDevices[5].modeChosen, 1);
    EXPECT_EQ(displayDevices[5].chosenMode.dwWidth, 640u);
    EXPECT_EQ(displayDevices[5].chosenMode.ddpfPixelFormat.dwRGBBitCount, 32u);
}

TEST_F(ConfigDialogTest, AfterPickingADeviceOkTakesThatDeviceNotTheHiddenOne) {
    SelectDisplayDevice(nullptr, 640, 480);
    Send(WM_INITDIALOG);
    Pick(kDeviceComboBox, 0);  // the HAL, slot 3
    Pick(kModeComboBox, 2);
    Press(IDOK);
    EXPECT_EQ(selectedDevice, 3);
    EXPECT_EQ(selectedMode, 2);
    EXPECT_EQ(displayDevices[3].modeChosen, 1);
    EXPECT_EQ(displayDevices[5].modeChosen, 0);
}

// Only named hardware devices with modes are offered; the list's positions
// map back to their slots.
TEST_F(ConfigDialogTest, TheDeviceListOffersNamedHardwareDevicesWithModesOnly) {
    DisplayDevice& noModes = displayDevices[7];
    std::snprintf(noModes.name, kDeviceNameSize, "Card Without Modes");
    noModes.isHardware = 0x80000;
    DisplayDevice& software = displayDevices[9];
    software = displayDevices[3];
    std::snprintf(software.name, kDeviceNameSize, "Software Copy");
    software.isHardware = 0;
    DisplayDevice& third = displayDevices[11];
    third = displayDevices[3];
    std::snprintf(third.name, kDeviceNameSize, "Third HAL");
    selectedDevice = 11;
    selectedMode = 2;
    Send(WM_INITDIALOG);
    ASSERT_EQ(Count(kDeviceComboBox), 3);  // the HAL, "Second HAL" and "Third HAL"
    EXPECT_EQ(velmora::platform::ControlOf(dialog, kDeviceComboBox).items[2].text, "Third HAL");
    EXPECT_EQ(Selection(kDeviceComboBox), 2);
    EXPECT_EQ(listedDevices[0], 3);
    EXPECT_EQ(listedDevices[1], 5);
    EXPECT_EQ(listedDevices[2], 11);
    Pick(kDeviceComboBox, 1);
    Press(IDOK);
    EXPECT_EQ(selectedDevice, 5);
}

TEST_F(ConfigDialogTest, TheDesktopWindowModeTakesTheDesktopSize) {
    windowSystem->desktopWidth = 1600;
    windowSystem->desktopHeight = 900;
    displayDevices[3].modes[2].dwWidth = 0;
    displayDevices[3].modes[2].dwHeight = 0;
    selectedDevice = 3;
    selectedMode = 2;
    Send(WM_INITDIALOG);
    Press(IDOK);
    EXPECT_EQ(screenWidth, 1600);
    EXPECT_EQ(screenHeight, 900);
}

TEST_F(ConfigDialogTest, FileChoicesClearTheirCounterparts) {
    Send(WM_INITDIALOG);
    windowSystem->fileChoices = {"/shows/a.QXP", "/shows/b.QX3", "/shows/c.XM", "/shows/d.QXD", ""};
    std::snprintf(sceneFileName, kFileNameSize, "old.QX3");
    std::snprintf(musicFileName, kFileNameSize, "old.XM");
    Press(kOpenScriptButton);
    EXPECT_STREQ(scriptFileName, "/shows/a.QXP");
    EXPECT_EQ(Text(kScriptNameEdit), "/shows/a.QXP");
    EXPECT_STREQ(sceneFileName, "");
    EXPECT_STREQ(musicFileName, "");
    EXPECT_EQ(Text(kSceneNameEdit), "");
    ASSERT_EQ(windowSystem->fileRequests.size(), 1u);
    EXPECT_EQ(windowSystem->fileRequests[0].title, "Open Velmora Play File");
    EXPECT_EQ(windowSystem->fileRequests[0].filterName, "QXP Files (*.QXP)");
    EXPECT_EQ(windowSystem->fileRequests[0].filterPattern, "*.QXP");

    Press(kOpenSceneButton);
    EXPECT_STREQ(sceneFileName, "/shows/b.QX3");
    EXPECT_EQ(Text(kSceneNameEdit), "/shows/b.QX3");
    EXPECT_STREQ(scriptFileName, "");
    EXPECT_EQ(Text(kScriptNameEdit), "");

    std::snprintf(scriptFileName, kFileNameSize, "again.QXP");
    Press(kOpenMusicButton);
    EXPECT_STREQ(musicFileName, "/shows/c.XM");
    EXPECT_EQ(Text(kMusicNameEdit), "/shows/c.XM");
    EXPECT_STREQ(scriptFileName, "");
    EXPECT_STREQ(sceneFileName, "/shows/b.QX3");  // music leaves the scene
    EXPECT_EQ(windowSystem->fileRequests[2].filterPattern, "*.MOD;*.S3M;*.XM;*.IT;*.MP3;*.WAV");

    Press(kOpenArchiveButton);  // the archive is independent
    EXPECT_STREQ(archiveFileName, "/shows/d.QXD");
    EXPECT_STREQ(musicFileName, "/shows/c.XM");

    // A cancelled request changes nothing.
    Press(kOpenScriptButton);
    EXPECT_STREQ(sceneFileName, "/shows/b.QX3");
    EXPECT_EQ(windowSystem->fileRequests[4].proposal, "");

    Press(kClearSceneButton);
    Press(kClearArchiveButton);
    EXPECT_STREQ(sceneFileName, "");
    EXPECT_EQ(Text(kSceneNameEdit), "");
    EXPECT_STREQ(archiveFileName, "");
    EXPECT_STREQ(musicFileName, "/shows/c.XM");
}

TEST_F(ConfigDialogTest, ShownThroughDialogBoxTheTemplateHasItsControlsAndOkEndsIt) {
    windowSystem->dialogUser = [](velmora::platform::DialogController& user) {
        user.Picked(kModeComboBox, 2);
        user.Toggled(kLowTexturesCheck, true);
        user.Pressed(IDOK);
    };
    selectedDevice = 3;
    selectedMode = 1;
    INT_PTR result = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kConfigDialogId), nullptr, ConfigDialogProc, 0);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(selectedMode, 2);
    EXPECT_EQ(lowTextures, 1);
    const velmora::platform::DialogLayout& layout = windowSystem->lastDialogLayout;
    EXPECT_EQ(layout.caption, "Velmora Engine");
    ASSERT_EQ(layout.controls.size(), 25u);
    int visible = 0;
    for (const auto& control : layout.controls) visible += control.visible;
    EXPECT_EQ(visible, 10);  // two lists, their two labels, three notes, the low-textures box, OK, Cancel
    // 329 x 207 dialog units in the 8-point dialog font's 6 x 13 base units.
    EXPECT_EQ(layout.width, 493);
    EXPECT_EQ(layout.height, 336);
    EXPECT_EQ(layout.controls[1].text, "Cancel");
    EXPECT_EQ(layout.controls[1].x, 408);
    EXPECT_EQ(layout.controls[1].y, 302);
    EXPECT_EQ(layout.controls[0].kind, velmora::platform::DialogControlKind::DefaultPushButton);
    EXPECT_EQ(layout.controls[21].kind, velmora::platform::DialogControlKind::CheckBox);
}

TEST_F(ConfigDialogTest, TheCloseBoxIsCancelAndADialogThatCannotBeShownGivesMinusOne) {
    windowSystem->dialogResult = 0;
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kConfigDialogId), nullptr, ConfigDialogProc, 0), 0);
    windowSystem->dialogResult = -1;
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kConfigDialogId), nullptr, ConfigDialogProc, 0), -1);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, ConfigDialogProc, 0), -1);
}

}  // namespace
