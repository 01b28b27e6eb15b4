// The dialog's four open-file requests as GetOpenFileNameA is given them.
// This program puts its own GetOpenFileNameA in place of the stand-in's, so
// that every field of the request is seen as the dialog filled it. The
// expected values are written out here as plain data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "app/config_dialog.h"
#include "platform/win32/dialog_controls.h"
#include "platform/win32/windows.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"

namespace {

struct SeenRequest {
    OPENFILENAMEA fields;
    std::string filter;  // every byte up to and with the closing empty string
    std::string title, initialDirectory, defaultExtension, proposal;
};

std::vector<SeenRequest> seenRequests;
std::deque<std::string> choices;  // an empty choice cancels

std::string Filter(const char* filter) {
    std::string bytes;
    if (!filter) return bytes;
    // Strings until the empty one, which ends the list.
    for (size_t length; (length = std::strlen(filter)) != 0; filter += length + 1)
        bytes.append(filter, length + 1);
    bytes.push_back('\0');
    return bytes;
}

}  // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA request) {
    SeenRequest seen;
    seen.fields = *request;
    seen.filter = Filter(request->lpstrFilter);
    seen.title = request->lpstrTitle ? request->lpstrTitle : "(null)";
    seen.initialDirectory = request->lpstrInitialDir ? request->lpstrInitialDir : "(null)";
    seen.defaultExtension = request->lpstrDefExt ? request->lpstrDefExt : "";
    seen.proposal = request->lpstrFile ? request->lpstrFile : "(null)";
    seenRequests.push_back(seen);
    if (choices.empty() || choices.front().empty()) {
        if (!choices.empty()) choices.pop_front();
        return FALSE;
    }
    std::snprintf(request->lpstrFile, request->nMaxFile, "%s", choices.front().c_str());
    choices.pop_front();
    return TRUE;
}

namespace {

struct ExpectedRequest {
    int button;
    const char* title;
    std::string filter;
    char* variable;
    const char* proposal;
};

class OpenFileRequestTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        velmora::platform::ResetDialogControls();
        seenRequests.clear();
        choices.clear();
        std::snprintf(sceneFileName, kFileNameSize, "old.QX3");
        std::snprintf(musicFileName, kFileNameSize, "old.XM");
        std::snprintf(scriptFileName, kFileNameSize, "old.QXP");
        std::snprintf(archiveFileName, kFileNameSize, "old.QXD");
    }
    void TearDown() override {
        sceneFileName[0] = scriptFileName[0] = musicFileName[0] = archiveFileName[0] = '\0';
        EngineTest::TearDown();
    }
    void Press(int id) { ConfigDialogProc(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

    HWND dialog = reinterpret_cast<HWND>(0x4242);
};

TEST_F(OpenFileRequestTest, EachButtonAsksWithItsTitleFilterFolderAndFlags) {
    using namespace std::string_literals;
    // Cancelled requests, so that each proposal is the name set up above.
    const ExpectedRequest expected[] = {
        {1008, "Open Velmora 3D File", "QX3 Files (*.QX3)\0*.QX3\0\0"s, sceneFileName, "old.QX3"},
        {1011, "Open Music File",
         "Music Files (*.MOD;*.S3M;*.XM;*.IT;*.MP3;*.WAV)\0*.MOD;*.S3M;*.XM;*.IT;*.MP3;*.WAV\0\0"s,
         musicFileName, "old.XM"},
        {1013, "Open Velmora Play File", "QXP Files (*.QXP)\0*.QXP\0\0"s, scriptFileName, "old.QXP"},
        {1021, "Open Velmora Data File", "QXD Files (*.QXD)\0*.QXD\0\0"s, archiveFileName, "old.QXD"},
    };
    for (const ExpectedRequest& request : expected) {
        SCOPED_TRACE(request.title);
        seenRequests.clear();
        Press(request.button);
        ASSERT_EQ(seenRequests.size(), 1u);
        const SeenRequest& seen = seenRequests[0];
        EXPECT_EQ(seen.title, request.title);
        EXPECT_EQ(seen.filter, request.filter);
        EXPECT_EQ(seen.initialDirectory, "p:\\windows\\rb\\data");
        EXPECT_EQ(seen.fields.Flags, 0x00001000u);  // OFN_FILEMUSTEXIST and nothing else
        EXPECT_EQ(seen.defaultExtension, "");
        EXPECT_EQ(seen.fields.lStructSize, sizeof(OPENFILENAMEA));
        EXPECT_EQ(seen.fields.hwndOwner, dialog);
        EXPECT_EQ(seen.fields.nFilterIndex, 1u);
        // The variable itself is the file buffer: its name is the proposal.
        EXPECT_EQ(seen.fields.lpstrFile, request.variable);
        EXPECT_EQ(seen.fields.nMaxFile, 512u);
        EXPECT_EQ(seen.proposal, request.proposal);
        ASSERT_NE(seen.fields.lpstrFileTitle, nullptr);
        EXPECT_NE(seen.fields.lpstrFileTitle, request.variable);
        EXPECT_EQ(seen.fields.nMaxFileTitle, 512u);
        EXPECT_EQ(seen.fields.lpstrCustomFilter, nullptr);
        EXPECT_EQ(seen.fields.lpfnHook, nullptr);
        // Cancelled: nothing changed.
        EXPECT_STREQ(request.variable, request.proposal);
    }
}

TEST_F(OpenFileRequestTest, AChosenPathLandsInItsVariableAndEdit) {
    choices = {"/shows/new.QXD", "/shows/new.QX3"};
    Press(1021);
    EXPECT_STREQ(archiveFileName, "/shows/new.QXD");
    EXPECT_EQ(velmora::platform::ControlOf(dialog, 1020).text, "/shows/new.QXD");
    Press(1008);
    EXPECT_STREQ(sceneFileName, "/shows/new.QX3");
    EXPECT_EQ(velmora::platform::ControlOf(dialog, 1009).text, "/shows/new.QX3");
    EXPECT_STREQ(scriptFileName, "");  // a scene excludes the play script
    ASSERT_EQ(seenRequests.size(), 2u);
    EXPECT_EQ(seenRequests[1].proposal, "old.QX3");
}

}  // namespace
