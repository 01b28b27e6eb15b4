// The settings file: the bytes SaveSettings writes and what LoadSettings reads
// back from them, and from hand-edited, truncated and hostile files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "app/config_dialog.h"
#include "app/settings.h"
#include "data/data_archive.h"
#include "diag/log.h"
#include "platform/win32/dialog_controls.h"
#include "platform/win32/module_control.h"
#include "render/display.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

namespace {

class SettingsTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        SelectDisplayDevice(nullptr, 640, 480);  // HAL in slot 3, T&L HAL in slot 5, 14 modes each
        directory = velmora::testing::MakeTempDirectory();
        ASSERT_EQ(getcwd(previous, sizeof previous), previous);
        ASSERT_EQ(chdir(directory.c_str()), 0);
        velmora::platform::UseModuleFileName(directory + "/velmora");
        velmora::platform::ResetDialogControls();
    }
    void TearDown() override {
        velmora::platform::UseModuleFileName("");
        ASSERT_EQ(chdir(previous), 0);
        localPath = 0;
        sceneFileName[0] = scriptFileName[0] = musicFileName[0] = archiveFileName[0] = '\0';
        EngineTest::TearDown();
    }
    void WriteSettings(const std::string& bytes) {
        std::FILE* file = std::fopen("QX_Engine.ini", "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    // The layout as the writer makes it, with the values given as text.
    static std::string Layout(const std::string& autorun, const std::string& local, const std::string& device,
                              const std::string& mode, const std::string& scene = "",
                              const std::string& script = "", const std::string& music = "",
                              const std::string& archive = "") {
        return "*** Velmora INI file ***\r\n"
               "*** If you alter this file it is on your own risk ***\r\n\r\n"
               "[Autorun] " + autorun + "\r\n[Local path] " + local + "\r\n[Device nr] " + device +
               "\r\n[Device mode nr] " + mode + "\r\n[QX3 filename] " + scene + "\r\n[QXP filename] " +
               script + "\r\n[Music filename] " + music + "\r\n[QXD filename] " + archive + "\r\n\r\n";
    }
    // The dialog as SaveSettings reads it: the two check boxes and the lists.
    void SetDialog(bool autorun, bool local, int device, int mode) {
        FillDeviceLists(dialog, device, mode);
        CheckDlgButton(dialog, kAutorunCheck, autorun ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog, kLocalPathCheck, local ? BST_CHECKED : BST_UNCHECKED);
    }
    std::string directory;
    char previous[1024];
    HWND dialog = reinterpret_cast<HWND>(0x5151);
};

TEST_F(SettingsTest, NoFileMeansNoAutorunAndNothingChanged) {
    localPath = 1;
    std::snprintf(sceneFileName, kFileNameSize, "keep.QX3");
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ(localPath, 1);
    EXPECT_STREQ(sceneFileName, "keep.QX3");
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 1);
}

TEST_F(SettingsTest, SavedBytesAreTheLayoutAndReadBackInEveryCombination) {
    // The HAL is the one listed device, so the device list's position 0 saves slot 3.
    for (int autorun = 0; autorun < 2; ++autorun)
        for (int local = 0; local < 2; ++local) {
            SetDialog(autorun, local, 3, local ? 12 : 7);
            std::snprintf(sceneFileName, kFileNameSize, "%s", local ? "" : "scenes\\a.QX3");
            std::snprintf(scriptFileName, kFileNameSize, "%s", "p.QXP");
            SaveSettings(dialog);
            std::string mode = local ? "12" : "7";
            EXPECT_EQ(velmora::testing::ReadFile(directory + "/QX_Engine.ini"),
                      Layout(autorun ? "TRUE" : "FALSE", local ? "TRUE" : "FALSE", "3", mode,
                             local ? "" : "scenes\\a.QX3", "p.QXP"));
            EXPECT_FALSE(velmora::testing::FileExists(directory + "/QX_Engine.ini.part"));

            localPath = 1 - local;
            selectedDevice = 5;
            selectedMode = 0;
            sceneFileName[0] = scriptFileName[0] = '\0';
            EXPECT_EQ(LoadSettings(), autorun) << autorun << local;
            EXPECT_EQ(localPath, local);
            EXPECT_EQ(selectedDevice, 3);
            EXPECT_EQ(selectedMode, local ? 12 : 7);
            EXPECT_EQ(displayDevices[3].modeChosen, 1);
            EXPECT_EQ(displayDevices[3].chosenModeIndex, static_cast<uint32_t>(selectedMode));
            EXPECT_EQ(displayDevices[3].chosenMode.dwWidth, displayDevices[3].modes[selectedMode].dwWidth);
            EXPECT_STREQ(sceneFileName, local ? "" : "scenes\\a.QX3");
            EXPECT_STREQ(scriptFileName, "p.QXP");
        }
}

TEST_F(SettingsTest, OnlyFourLettersFalsInAnyCaseAreFalse) {
    WriteSettings(Layout("false", "YES!", "3", "4"));
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ(localPath, 1);
    EXPECT_EQ(selectedMode, 4);
    WriteSettings(Layout("YES!", "FaLsE", "3", "4"));
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_EQ(localPath, 0);
    EXPECT_EQ(selectedDevice, 3);
}

TEST_F(SettingsTest, FileNamesComeBackExactlyEmptyOrMixed) {
    WriteSettings(Layout("TRUE", "FALSE", "5", "13", "", "show.QXP", "", "d:\\data\\MORVAST.QXD"));
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(sceneFileName, "");
    EXPECT_STREQ(scriptFileName, "show.QXP");
    EXPECT_STREQ(musicFileName, "");
    EXPECT_STREQ(archiveFileName, "d:\\data\\MORVAST.QXD");
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 13);
}

TEST_F(SettingsTest, ANameLongerThanItsBufferIsCutAndTheNextNameStillLinesUp) {
    std::string longName(600, 'n');
    WriteSettings(Layout("TRUE", "FALSE", "3", "0", longName, "after.QXP", "m.XM", "a.QXD"));
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_EQ(std::string(sceneFileName), std::string(511, 'n'));
    EXPECT_STREQ(scriptFileName, "after.QXP");
    EXPECT_STREQ(musicFileName, "m.XM");
    EXPECT_STREQ(archiveFileName, "a.QXD");
}

TEST_F(SettingsTest, ATruncatedFileStopsTheReaderAndKeepsWhatItRead) {
    std::string whole = Layout("TRUE", "TRUE", "3", "2", "s.QX3", "p.QXP", "m.XM", "a.QXD");
    // Cut inside the script name: the scene name and the numbers are read.
    size_t cut = whole.find("p.QXP") + 2;
    WriteSettings(whole.substr(0, cut));
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_EQ(localPath, 1);
    EXPECT_EQ(selectedMode, 2);
    EXPECT_STREQ(sceneFileName, "s.QX3");
    EXPECT_STREQ(scriptFileName, "p.");
    EXPECT_STREQ(musicFileName, "");
    // Cut inside the autorun value: nothing is taken, no autorun.
    localPath = 0;
    WriteSettings(whole.substr(0, whole.find("TRUE") + 2));
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ(localPath, 0);
    WriteSettings("");
    EXPECT_EQ(LoadSettings(), 0);
}

TEST_F(SettingsTest, NumbersOutsideTheTablesKeepThePreSelection) {
    struct {
        const char* device;
        const char* mode;
    } const refused[] = {{"-1", "-1"}, {"99", "0"}, {"3", "14"}, {"3", "99"}, {"2", "0"}, {"-1", "14"}, {"-2", "3"}};
    for (const auto& numbers : refused) {
        selectedDevice = 5;
        selectedMode = 1;
        WriteSettings(Layout("TRUE", "FALSE", numbers.device, numbers.mode, "s.QX3"));
        EXPECT_EQ(LoadSettings(), 1);
        EXPECT_EQ(selectedDevice, 5) << numbers.device << " " << numbers.mode;
        EXPECT_EQ(selectedMode, 1) << numbers.device << " " << numbers.mode;
        // The file names after the refused numbers still line up.
        EXPECT_STREQ(sceneFileName, "s.QX3") << numbers.device << " " << numbers.mode;
    }
}

// Device -1 is what a dialog saves whose device list stood empty: the mode
// is one of the pre-selected device's, and is taken for it.
TEST_F(SettingsTest, DeviceMinusOneTakesTheModeForThePreSelectedDevice) {
    WriteSettings(Layout("TRUE", "FALSE", "-1", "3", "s.QX3"));
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 3);
    EXPECT_EQ(displayDevices[5].modeChosen, 1);
    EXPECT_EQ(displayDevices[5].chosenModeIndex, 3u);
    EXPECT_EQ(displayDevices[5].chosenMode.dwWidth, displayDevices[5].modes[3].dwWidth);
    EXPECT_STREQ(sceneFileName, "s.QX3");
    WriteSettings(Layout("TRUE", "FALSE", "-1", "13"));
    LoadSettings();
    EXPECT_EQ(selectedMode, 13);
}

// The dialog's first view on the stand-in's drivers: the pre-selected T&L HAL
// is hidden, so the device list is empty while the mode list shows its modes.
// A mode picked and saved there comes back at the next start.
TEST_F(SettingsTest, AModeSavedOnAHiddenPreSelectionComesBackAtTheNextStart) {
    ASSERT_EQ(selectedDevice, 5);
    ConfigDialogProc(dialog, WM_INITDIALOG, 0, 0);
    ASSERT_EQ(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCURSEL, 0, 0), CB_ERR);
    SendDlgItemMessageA(dialog, kModeComboBox, CB_SETCURSEL, 5, 0);
    ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(kModeComboBox, CBN_SELENDOK), 0);
    ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(kSaveSettingsButton, BN_CLICKED), 0);
    EXPECT_EQ(velmora::testing::ReadFile(directory + "/QX_Engine.ini"), Layout("FALSE", "FALSE", "-1", "5"));

    // The next start: the same drivers, the same pre-selection, then the file.
    SelectDisplayDevice(nullptr, 640, 480);
    ASSERT_EQ(selectedMode, 1);
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 5);
    EXPECT_EQ(displayDevices[5].modeChosen, 1);
    EXPECT_EQ(displayDevices[5].chosenMode.dwWidth, displayDevices[5].modes[5].dwWidth);
    // And the dialog opens on that mode.
    velmora::platform::ResetDialogControls();
    ConfigDialogProc(dialog, WM_INITDIALOG, 0, 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kModeComboBox, CB_GETCURSEL, 0, 0), 5);
}

TEST_F(SettingsTest, ADialogWithEmptyListsSavesWhatTheReaderRefuses) {
    // No device listed and no mode: both selections read -1.
    SaveSettings(dialog);
    std::string saved = velmora::testing::ReadFile(directory + "/QX_Engine.ini");
    EXPECT_EQ(saved, Layout("FALSE", "FALSE", "-1", "-1"));
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 1);
}

// The settings are read from the current folder and saved beside the
// program; started from elsewhere, the two are different files.
TEST_F(SettingsTest, ReadFromTheCurrentFolderAndSavedBesideTheProgram) {
    std::string programFolder = velmora::testing::MakeTempDirectory();
    velmora::platform::UseModuleFileName(programFolder + "/velmora");
    WriteSettings(Layout("TRUE", "FALSE", "3", "6", "current.QX3"));
    std::ofstream(programFolder + "/QX_Engine.ini", std::ios::binary)
        << Layout("FALSE", "TRUE", "3", "2", "beside.QX3");
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(sceneFileName, "current.QX3");
    EXPECT_EQ(selectedMode, 6);
    EXPECT_EQ(localPath, 0);

    SetDialog(false, true, 3, 9);
    std::snprintf(sceneFileName, kFileNameSize, "saved.QX3");
    SaveSettings(dialog);
    EXPECT_EQ(velmora::testing::ReadFile(programFolder + "/QX_Engine.ini"),
              Layout("FALSE", "TRUE", "3", "9", "saved.QX3"));
    EXPECT_EQ(velmora::testing::ReadFile(directory + "/QX_Engine.ini"),
              Layout("TRUE", "FALSE", "3", "6", "current.QX3"));
}

// A settings file that never ends is read no further than its first 64 KB.
TEST_F(SettingsTest, AFileThatNeverEndsIsReadAsACutFile) {
    ASSERT_EQ(symlink("/dev/zero", "QX_Engine.ini"), 0);
    LoadSettings();  // returns at all
    EXPECT_EQ(selectedDevice, 5);  // device 0 of zeros is no device
    EXPECT_EQ(selectedMode, 1);
    EXPECT_STREQ(sceneFileName, "");
    EXPECT_STREQ(archiveFileName, "");
}

TEST_F(SettingsTest, AHugeFileIsReadNoFurtherThanItsFirst64KB) {
    // 4 GB of zero bytes after the scene key; sparse, so it costs no disk.
    std::string layout = Layout("TRUE", "TRUE", "3", "7");
    WriteSettings(layout.substr(0, layout.find("[QX3 filename] ") + 15));
    ASSERT_EQ(truncate("QX_Engine.ini", 4LL << 30), 0);
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_EQ(selectedMode, 7);
    EXPECT_STREQ(sceneFileName, "");

    // A scene name that runs to the limit: the script name after it is read
    // when it ends on the 65536th byte, and cut by one when it ends after it.
    std::string head = layout.substr(0, layout.find("[QX3 filename] ") + 15);
    std::string tail = "\r\n[QXP filename] p.QXP\r\n";
    size_t fill = 65536 - head.size() - (tail.size() - 2);
    WriteSettings(head + std::string(fill, 'x') + tail);
    LoadSettings();
    EXPECT_EQ(std::string(sceneFileName), std::string(511, 'x'));
    EXPECT_STREQ(scriptFileName, "p.QXP");
    WriteSettings(head + std::string(fill + 1, 'x') + tail);
    LoadSettings();
    EXPECT_STREQ(scriptFileName, "p.QX");
}

TEST_F(SettingsTest, AFolderThatCannotBeWrittenLeavesNoFile) {
    velmora::platform::UseModuleFileName(directory + "/missing/velmora");
    SaveSettings(dialog);
    EXPECT_FALSE(velmora::testing::FileExists(directory + "/missing/QX_Engine.ini"));
}

// Installed, the program's folder cannot be written: "Save settings" goes to
// the user's folder, and a start without settings in the current folder reads
// them back from there. A program in a folder of its own never looks there.
TEST_F(SettingsTest, AnUnwritableProgramFolderKeepsTheSettingsInTheUsersFolder) {
    std::ofstream(directory + "/file") << "x";
    velmora::platform::UseModuleFileName(directory + "/file/bin/velmora");
    const std::string config = velmora::testing::MakeTempDirectory();
    velmora::platform::UseUserFolders(config + "/.config", config + "/.local/state");
    const std::string userFile = config + "/.config/velmora/QX_Engine.ini";

    SetDialog(true, false, 3, 4);
    std::snprintf(sceneFileName, kFileNameSize, "user.QX3");
    SaveSettings(dialog);
    EXPECT_EQ(velmora::testing::ReadFile(userFile), Layout("TRUE", "FALSE", "3", "4", "user.QX3"));
    EXPECT_FALSE(velmora::testing::FileExists(config + "/.config/velmora/QX_Engine.ini.part"));

    sceneFileName[0] = '\0';
    EXPECT_EQ(LoadSettings(), 1);
    EXPECT_STREQ(sceneFileName, "user.QX3");
    EXPECT_EQ(selectedMode, 4);

    // A file in the current folder still comes first.
    WriteSettings(Layout("FALSE", "FALSE", "3", "2", "current.QX3"));
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_STREQ(sceneFileName, "current.QX3");
    std::remove("QX_Engine.ini");

    // Portable again: the user's file is neither read nor written.
    velmora::platform::UseModuleFileName(directory + "/velmora");
    sceneFileName[0] = '\0';
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_STREQ(sceneFileName, "");
    SetDialog(false, false, 3, 1);
    SaveSettings(dialog);
    EXPECT_EQ(velmora::testing::ReadFile(directory + "/QX_Engine.ini"), Layout("FALSE", "FALSE", "3", "1"));
    EXPECT_EQ(velmora::testing::ReadFile(userFile), Layout("TRUE", "FALSE", "3", "4", "user.QX3"));
}

}  // namespace
