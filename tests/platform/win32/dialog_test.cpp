// The Win32 stand-in's dialogs: the control messages on its record of each
// control, DialogBoxParamA with a template of the test's own, and the
// open-file request handed to the window system and answered into the
// caller's buffers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/setup/platform_settings.h"
#include "platform/win32/dialog_controls.h"
#include "platform/win32/windows.h"
#include "support/engine_fixture.h"

namespace {

using velmora::platform::DialogControlKind;
using velmora::platform::DialogController;

const DLGITEMRESOURCE kItems[] = {
    {"BUTTON", "Go", 1, 10, 20, 40, 16, WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP},
    {"COMBOBOX", "", 50, 8, 8, 100, 80, WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST},
    {"BUTTON", "Tick", 51, 0, 40, 30, 10, WS_CHILD | BS_AUTOCHECKBOX},
    {"EDIT", "start", 52, 4, 60, 80, 12, WS_CHILD | WS_VISIBLE | ES_READONLY},
    {"STATIC", "Note", -1, 4, 80, 40, 8, WS_CHILD | WS_VISIBLE},
    {"BUTTON", "Plain", 53, 60, 20, 40, 16, WS_CHILD | WS_VISIBLE},
};
const DLGRESOURCE kTemplate = {4711, "Stand-in Test", WS_POPUP, 0, 0, 0, 200, 104, "MS Sans Serif", 8,
                               kItems, sizeof kItems / sizeof kItems[0]};
[[maybe_unused]] const bool registered = RegisterDialogResource(&kTemplate);

// What the procedure was sent, one line per message.
std::vector<std::string> received;

INT_PTR CALLBACK RecordingProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        received.push_back("init " + std::to_string(lParam));
        SendDlgItemMessageA(dialog, 50, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("first"));
        SendDlgItemMessageA(dialog, 50, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("second"));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    received.push_back("command " + std::to_string(LOWORD(wParam)) + " " + std::to_string(HIWORD(wParam)));
    if (LOWORD(wParam) == 1) EndDialog(dialog, 7);
    if (LOWORD(wParam) == 53) EndDialog(dialog, 0);
    return TRUE;
}

class Win32DialogTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        velmora::platform::ResetDialogControls();
        received.clear();
    }
    INT_PTR Show(LPARAM parameter = 0) {
        return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), nullptr, RecordingProcedure, parameter);
    }
    HWND dialog = reinterpret_cast<HWND>(0x3131);
};

TEST_F(Win32DialogTest, ComboBoxMessagesKeepItemsDataAndSelection) {
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETCURSEL, 0, 0), CB_ERR);  // a new box has none
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("zero")), 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one")), 1);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_SETITEMDATA, 1, 77), 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETITEMDATA, 1, 0), 77);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_SETITEMDATA, 2, 5), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETITEMDATA, 2, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETCURSEL, 0, 0), 1);
    // A position past the end leaves no selection.
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_SETCURSEL, 2, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETLBTEXTLEN, 1, 0), 3);
    char text[8] = "xxxxxxx";
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text)), 3);
    EXPECT_STREQ(text, "one");
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(text)), CB_ERR);
    // Each dialog and control keeps its own.
    EXPECT_EQ(SendDlgItemMessageA(dialog, 10, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(reinterpret_cast<HWND>(0x3132), 9, CB_GETCOUNT, 0, 0), 0);
    SendDlgItemMessageA(dialog, 9, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_RESETCONTENT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, 9, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(Win32DialogTest, TextsAndChecksOfControls) {
    EXPECT_EQ(SetDlgItemTextA(dialog, 4, "a longer text"), TRUE);
    char text[7];
    EXPECT_EQ(GetDlgItemTextA(dialog, 4, text, sizeof text), 6u);  // cut to the buffer
    EXPECT_STREQ(text, "a long");
    EXPECT_EQ(GetDlgItemTextA(dialog, 4, text, 0), 0u);
    SetDlgItemTextA(dialog, 4, nullptr);
    EXPECT_EQ(GetDlgItemTextA(dialog, 4, text, sizeof text), 0u);
    EXPECT_STREQ(text, "");

    EXPECT_EQ(IsDlgButtonChecked(dialog, 5), static_cast<UINT>(BST_UNCHECKED));
    CheckDlgButton(dialog, 5, BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 5), static_cast<UINT>(BST_CHECKED));
    CheckDlgButton(dialog, 5, 2);  // anything but checked clears it
    EXPECT_EQ(IsDlgButtonChecked(dialog, 5), static_cast<UINT>(BST_UNCHECKED));

    INT_PTR result = 0;
    EXPECT_FALSE(velmora::platform::DialogEnded(dialog, result));
    EXPECT_EQ(EndDialog(nullptr, 3), FALSE);
    EXPECT_EQ(EndDialog(dialog, 3), TRUE);
    ASSERT_TRUE(velmora::platform::DialogEnded(dialog, result));
    EXPECT_EQ(result, 3);
    velmora::platform::ForgetDialog(dialog);
    EXPECT_FALSE(velmora::platform::DialogEnded(dialog, result));
    EXPECT_EQ(GetDlgItemTextA(dialog, 4, text, sizeof text), 0u);
}

TEST_F(Win32DialogTest, TheTemplateIsLaidOutInPixelsWithItsControlsKindsAndTexts) {
    std::vector<std::string> seenItems;
    std::string seenEdit;
    windowSystem->dialogUser = [&](DialogController& user) {
        seenItems = user.View(50).items;
        seenEdit = user.View(52).text;
        user.Pressed(53);
    };
    EXPECT_EQ(Show(99), 0);
    EXPECT_EQ(received, (std::vector<std::string>{"init 99", "command 53 0"}));
    EXPECT_EQ(seenItems, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(seenEdit, "start");  // the template's texts are in the controls from the start

    const velmora::platform::DialogLayout& layout = windowSystem->lastDialogLayout;
    EXPECT_EQ(layout.templateId, 4711);
    EXPECT_EQ(layout.caption, "Stand-in Test");
    EXPECT_EQ(layout.width, 300);   // 200 units of a quarter of 6 pixels
    EXPECT_EQ(layout.height, 169);  // 104 units of an eighth of 13 pixels
    ASSERT_EQ(layout.controls.size(), 6u);
    const DialogControlKind kinds[] = {DialogControlKind::DefaultPushButton, DialogControlKind::ComboBox,
                                       DialogControlKind::CheckBox,          DialogControlKind::Edit,
                                       DialogControlKind::Static,            DialogControlKind::PushButton};
    for (size_t i = 0; i < 6; ++i) EXPECT_EQ(layout.controls[i].kind, kinds[i]) << i;
    const velmora::platform::DialogControlLayout& go = layout.controls[0];
    EXPECT_EQ(go.id, 1);
    EXPECT_EQ(go.text, "Go");
    EXPECT_EQ(go.x, 15);
    EXPECT_EQ(go.y, 32);
    EXPECT_EQ(go.width, 60);
    EXPECT_EQ(go.height, 26);
    EXPECT_TRUE(go.visible);
    // A shut drop-down list is one line high, whatever its open height.
    EXPECT_EQ(layout.controls[1].height, 22);
    EXPECT_FALSE(layout.controls[2].visible);
    EXPECT_EQ(layout.controls[4].id, -1);
}

TEST_F(Win32DialogTest, TheDeveloperSwitchShowsTheHiddenControls) {
    velmora::platform::PlatformSettings settings = velmora::platform::CurrentPlatformSettings();
    settings.developerDialog = true;
    velmora::platform::UsePlatformSettings(settings);
    windowSystem->dialogResult = 0;
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), nullptr, RecordingProcedure, 0);
    EXPECT_TRUE(windowSystem->lastDialogLayout.controls.at(2).visible);
}

TEST_F(Win32DialogTest, WhatTheUserDoesReachesTheProcedureUntilItEndsTheDialog) {
    windowSystem->dialogUser = [](DialogController& user) {
        user.Picked(50, 1);
        EXPECT_EQ(user.View(50).selection, 1);
        user.Toggled(51, true);
        EXPECT_TRUE(user.View(51).checked);
        EXPECT_FALSE(user.Ended());
        user.Pressed(1);
        EXPECT_TRUE(user.Ended());
        user.Pressed(53);  // after EndDialog nothing more arrives
    };
    EXPECT_EQ(Show(), 7);
    EXPECT_EQ(received, (std::vector<std::string>{"init 0", "command 50 9", "command 51 0", "command 1 0"}));
}

TEST_F(Win32DialogTest, ADialogThatCannotBeShownOrFoundGivesMinusOne) {
    windowSystem->dialogResult = -1;  // no back end can show it
    EXPECT_EQ(Show(), -1);
    windowSystem->dialogResult = 1;
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4712), nullptr, RecordingProcedure, 0), -1);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(4711), nullptr, nullptr, 0), -1);
    EXPECT_EQ(DialogBoxParamA(nullptr, "by name", nullptr, RecordingProcedure, 0), -1);
    // Shown, but left without EndDialog.
    windowSystem->dialogUser = [](DialogController&) {};
    EXPECT_EQ(Show(), -1);
    EXPECT_EQ(RegisterDialogResource(nullptr), FALSE);
}

class OpenFileTest : public velmora::testing::EngineTest {
protected:
    OPENFILENAMEA Request() {
        OPENFILENAMEA request;
        std::memset(&request, 0, sizeof request);
        request.lStructSize = sizeof request;
        request.lpstrFilter = "Scenes (*.QX3)\0*.QX3;*.qx3\0";
        request.nFilterIndex = 1;
        request.lpstrFile = file;
        request.nMaxFile = sizeof file;
        request.lpstrFileTitle = title;
        request.nMaxFileTitle = sizeof title;
        request.lpstrInitialDir = "p:\\data";
        request.lpstrTitle = "Pick one";
        request.Flags = OFN_FILEMUSTEXIST;
        return request;
    }
    char file[32] = "proposed.QX3";
    char title[8] = "";
};

TEST_F(OpenFileTest, TheRequestReachesTheWindowSystemAndTheChoiceTheBuffers) {
    windowSystem->fileChoices = {"/shows/cubes.QX3"};
    OPENFILENAMEA request = Request();
    ASSERT_EQ(GetOpenFileNameA(&request), TRUE);
    ASSERT_EQ(windowSystem->fileRequests.size(), 1u);
    const velmora::platform::FileRequest& asked = windowSystem->fileRequests[0];
    EXPECT_EQ(asked.title, "Pick one");
    EXPECT_EQ(asked.filterName, "Scenes (*.QX3)");
    EXPECT_EQ(asked.filterPattern, "*.QX3;*.qx3");
    EXPECT_EQ(asked.initialDirectory, "p:\\data");
    EXPECT_EQ(asked.proposal, "proposed.QX3");
    EXPECT_TRUE(asked.mustExist);
    EXPECT_STREQ(file, "/shows/cubes.QX3");
    EXPECT_EQ(request.nFileOffset, 7);      // "cubes.QX3"
    EXPECT_EQ(request.nFileExtension, 13);  // "QX3"
    EXPECT_STREQ(title, "cubes.Q");         // the title cut to its buffer
}

TEST_F(OpenFileTest, ACancelledOrTooLongChoiceLeavesTheBuffersAlone) {
    windowSystem->fileChoices = {"", "/a/path/much/longer/than/the/buffer.QX3", "noext"};
    OPENFILENAMEA request = Request();
    EXPECT_EQ(GetOpenFileNameA(&request), FALSE);
    EXPECT_STREQ(file, "proposed.QX3");
    EXPECT_EQ(GetOpenFileNameA(&request), FALSE);
    EXPECT_STREQ(file, "proposed.QX3");
    EXPECT_STREQ(title, "");
    request.Flags = 0;
    request.lpstrTitle = nullptr;
    request.lpstrFilter = nullptr;
    ASSERT_EQ(GetOpenFileNameA(&request), TRUE);
    EXPECT_STREQ(file, "noext");
    EXPECT_EQ(request.nFileOffset, 0);
    EXPECT_EQ(request.nFileExtension, 5);  // no extension: the end of the name
    const velmora::platform::FileRequest& asked = windowSystem->fileRequests.at(2);
    EXPECT_FALSE(asked.mustExist);
    EXPECT_EQ(asked.title, "Open");
    EXPECT_EQ(asked.filterPattern, "");
    EXPECT_EQ(GetOpenFileNameA(nullptr), FALSE);
    request.nMaxFile = 0;
    EXPECT_EQ(GetOpenFileNameA(&request), FALSE);
    EXPECT_EQ(windowSystem->fileRequests.size(), 3u);  // bad requests reach nobody
}

}  // namespace
