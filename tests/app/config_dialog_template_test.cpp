// The configuration dialog's template against the dialog as it is meant to
// be: every control's number, kind, text, place and visibility, written out
// here as plain data rather than taken from the program's own constants.
#include <gtest/gtest.h>

#include <string>

#include "app/config_dialog.h"
#include "platform/win32/windows.h"
#include "support/engine_fixture.h"

namespace {

enum class Kind { DefaultButton, Button, DropDownList, Label, ReadOnlyEdit, CheckBox };

struct ExpectedControl {
    int id;
    Kind kind;
    const char* text;
    short x, y, cx, cy;
    bool visible;
};

// In template order.
const ExpectedControl kExpected[] = {
    {1, Kind::DefaultButton, "OK", 7, 186, 50, 14, true},
    {2, Kind::Button, "Cancel", 272, 186, 50, 14, true},
    {1000, Kind::DropDownList, "", 69, 16, 133, 71, true},
    {1001, Kind::DropDownList, "", 69, 32, 133, 71, true},
    {1002, Kind::Label, "Harware device", 7, 16, 51, 8, true},
    {-1, Kind::Label, "Mode (resolution)", 7, 32, 55, 8, true},
    {1008, Kind::Button, "Open QX3 file", 7, 77, 58, 14, false},
    {1009, Kind::ReadOnlyEdit, "", 69, 77, 133, 14, false},
    {1010, Kind::ReadOnlyEdit, "", 69, 94, 133, 14, false},
    {1011, Kind::Button, "Open Music file", 7, 94, 58, 14, false},
    {1012, Kind::ReadOnlyEdit, "", 69, 112, 133, 14, false},
    {1013, Kind::Button, "Open QXP file", 7, 112, 58, 14, false},
    {1014, Kind::Button, "Save settings", 7, 153, 58, 14, false},
    {1015, Kind::CheckBox, "Autorun", 69, 155, 41, 10, false},
    {1016, Kind::CheckBox, "Local path", 69, 167, 49, 10, false},
    {1017, Kind::Button, "Clear QX3 file", 207, 77, 58, 14, false},
    {1018, Kind::Button, "Clear Music file", 207, 94, 58, 14, false},
    {1019, Kind::Button, "Clear QXP file", 207, 112, 58, 14, false},
    {1020, Kind::ReadOnlyEdit, "", 69, 131, 133, 14, false},
    {1021, Kind::Button, "Open QXD file", 7, 131, 58, 14, false},
    {1022, Kind::Button, "Clear QXD file", 207, 131, 58, 14, false},
    {1024, Kind::CheckBox, "Low textures (max 256x256)", 69, 49, 104, 10, true},
    {-1, Kind::Label, "Load time < 30 sec", 207, 18, 61, 8, true},
    {-1, Kind::Label, "Exit time < 30 sec", 208, 34, 56, 8, true},
    {-1, Kind::Label, "Use Geforce AND 32 bit for better performance", 69, 64, 149, 8, true},
};

// The Win32 style words, as the Windows headers define them.
constexpr DWORD kVisible = 0x10000000;
constexpr DWORD kChild = 0x40000000;
constexpr DWORD kTabStop = 0x00010000;
constexpr DWORD kGroup = 0x00020000;
constexpr DWORD kBorder = 0x00800000;
constexpr DWORD kVerticalScroll = 0x00200000;
constexpr DWORD kReadOnly = 0x0800;
constexpr DWORD kAutoScroll = 0x0080;

const char* ClassOf(Kind kind) {
    switch (kind) {
        case Kind::DropDownList: return "COMBOBOX";
        case Kind::Label: return "STATIC";
        case Kind::ReadOnlyEdit: return "EDIT";
        default: return "BUTTON";
    }
}

// The kind's type in the style's low four bits: 1 a default push button,
// 0 a push button, 3 an automatic check box or a drop-down list, 0 a left-aligned label.
DWORD TypeOf(Kind kind) {
    switch (kind) {
        case Kind::DefaultButton: return 1;
        case Kind::CheckBox:
        case Kind::DropDownList: return 3;
        default: return 0;
    }
}

TEST(ConfigDialogTemplateTest, TheDialogIsAModalFramedPopupOfItsSize) {
    const DLGRESOURCE& dialog = configDialogResource;
    EXPECT_EQ(dialog.resourceId, 101);
    EXPECT_STREQ(dialog.caption, "Velmora Engine");
    // WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT
    EXPECT_EQ(dialog.style, 0x80000000u | 0x00C00000u | 0x00080000u | 0x80u | 0x40u);
    EXPECT_EQ(dialog.exStyle, 0x00020000u);  // WS_EX_STATICEDGE
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 329);
    EXPECT_EQ(dialog.cy, 207);
    EXPECT_STREQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.itemCount, 25);
}

TEST(ConfigDialogTemplateTest, EveryControlIsWhereAndWhatTheDialogSays) {
    const DLGRESOURCE& dialog = configDialogResource;
    ASSERT_EQ(dialog.itemCount, sizeof kExpected / sizeof kExpected[0]);
    for (size_t i = 0; i < dialog.itemCount; ++i) {
        const DLGITEMRESOURCE& item = dialog.items[i];
        const ExpectedControl& expected = kExpected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + expected.text + "\"");
        EXPECT_EQ(item.id, expected.id);
        EXPECT_STREQ(item.windowClass, ClassOf(expected.kind));
        EXPECT_STREQ(item.text ? item.text : "", expected.text);
        EXPECT_EQ(item.x, expected.x);
        EXPECT_EQ(item.y, expected.y);
        EXPECT_EQ(item.cx, expected.cx);
        EXPECT_EQ(item.cy, expected.cy);
        EXPECT_EQ((item.style & kVisible) != 0, expected.visible);
        EXPECT_NE(item.style & kChild, 0u);
        EXPECT_EQ(item.style & 0xF, TypeOf(expected.kind));
        // Every control but a label is a tab stop; a label starts a group.
        bool label = expected.kind == Kind::Label;
        EXPECT_EQ((item.style & kTabStop) != 0, !label);
        EXPECT_EQ((item.style & kGroup) != 0, label);
        if (expected.kind == Kind::DropDownList) {
            EXPECT_NE(item.style & kVerticalScroll, 0u);
        }
        if (expected.kind == Kind::ReadOnlyEdit) {
            EXPECT_NE(item.style & kReadOnly, 0u);
            EXPECT_NE(item.style & kBorder, 0u);
            EXPECT_NE(item.style & kAutoScroll, 0u);
        }
    }
}

// What DialogBoxParamA makes of the template: the kinds a back end shows, and
// with the developer switch off only the ten controls meant to be seen.
class ShownConfigDialogTest : public velmora::testing::EngineTest {};

TEST_F(ShownConfigDialogTest, TheUserSeesOnlyTheVisibleControlsInTheirKinds) {
    using velmora::platform::DialogControlKind;
    windowSystem->dialogResult = 0;
    DialogBoxParamA(nullptr, MAKEINTRESOURCEA(101), nullptr, ConfigDialogProc, 0);
    const velmora::platform::DialogLayout& layout = windowSystem->lastDialogLayout;
    EXPECT_EQ(layout.templateId, 101);
    ASSERT_EQ(layout.controls.size(), 25u);
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ExpectedControl& expected = kExpected[i];
        const velmora::platform::DialogControlLayout& control = layout.controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + expected.text + "\"");
        EXPECT_EQ(control.id, expected.id);
        EXPECT_EQ(control.text, expected.text);
        EXPECT_EQ(control.visible, expected.visible);
        DialogControlKind kind = DialogControlKind::Static;
        switch (expected.kind) {
            case Kind::DefaultButton: kind = DialogControlKind::DefaultPushButton; break;
            case Kind::Button: kind = DialogControlKind::PushButton; break;
            case Kind::CheckBox: kind = DialogControlKind::CheckBox; break;
            case Kind::DropDownList: kind = DialogControlKind::ComboBox; break;
            case Kind::ReadOnlyEdit: kind = DialogControlKind::Edit; break;
            case Kind::Label: kind = DialogControlKind::Static; break;
        }
        EXPECT_EQ(control.kind, kind);
        // Dialog units to pixels in the 8-point font's 6 x 13 base units.
        EXPECT_EQ(control.x, expected.x * 6 / 4);
        EXPECT_EQ(control.y, expected.y * 13 / 8);
        EXPECT_EQ(control.width, expected.cx * 6 / 4);
    }
}

}  // namespace
