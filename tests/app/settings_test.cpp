// The settings file: the bytes SaveSettings writes and what LoadSettings reads
// back from them, and from hand-edited, truncated and hostile files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/config_dialog.h"
#include "app/engine_state.h"
#include "app/settings.h"
#include "data/data_archive.h"
#include "diag/log.h"
#include "platform/win32/dialog_controls.h"
#include "platform/win32/module_control.h"
#include "render/display.h"
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
    } const refused[] = {{"-1", "-1"}, {"99", "0"}, {"3", "14"}, {"3", "99"}, {"2", "0"}, {"-1", "3"}};
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

TEST_F(SettingsTest, ADialogWithEmptyListsSavesWhatTheReaderRefuses) {
    // No device listed and no mode: both selections read -1.
    SaveSettings(dialog);
    std::string saved = velmora::testing::ReadFile(directory + "/QX_Engine.ini");
    EXPECT_EQ(saved, Layout("FALSE", "FALSE", "-1", "-1"));
    EXPECT_EQ(LoadSettings(), 0);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 1);
}

TEST_F(SettingsTest, AFolderThatCannotBeWrittenLeavesNoFile) {
    velmora::platform::UseModuleFileName(directory + "/missing/velmora");
    SaveSettings(dialog);
    EXPECT_FALSE(velmora::testing::FileExists(directory + "/missing/QX_Engine.ini"));
}

}  // namespace
