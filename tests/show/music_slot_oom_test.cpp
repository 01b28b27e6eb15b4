// A music file-name line whose LoadMusic gets no memory for its record: the
// play script's slot keeps the record it had, never a freed name. This test
// program is linked with calloc wrapped, so that a test can make the next
// allocation of a MusicTrack record fail.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "diag/log.h"
#include "music/music_player.h"
#include "platform/fmod/sound_system.h"
#include "platform/setup/platform_settings.h"
#include "platform/backend/frame_clock.h"
#include "show/free_show.h"
#include "show/play_script.h"
#include "state/engine_state.h"
#include "support/temp_files.h"

namespace {

bool failTrackRecord = false;  // the next calloc of one MusicTrack fails

}  // namespace

extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __wrap_calloc(size_t count, size_t size) {
    if (failTrackRecord && count == 1 && size == sizeof(MusicTrack)) {
        failTrackRecord = false;
        return nullptr;
    }
    return __real_calloc(count, size);
}

namespace {

using namespace velmora::platform;

class MusicSlotTest : public ::testing::Test {
protected:
    void SetUp() override {
        PlatformSettings settings;
        settings.windowSystem = WindowBackEnd::Null;
        settings.sound = SoundBackEnd::Silent;
        UsePlatformSettings(settings);
        UseVirtualClock(FrameRate{50, 1}, 0);
        StopSoundOutput();
        directory = velmora::testing::MakeTempDirectory() + "/";
        char here[4096];
        previous = getcwd(here, sizeof here) ? here : "/";
        ASSERT_EQ(chdir(directory.c_str()), 0);
    }
    void TearDown() override {
        FreeShow();
        StopSoundOutput();
        UseRealClock();
        ResetPlatformSettings();
        if (chdir(previous.c_str()) != 0) ADD_FAILURE();
    }
    std::string directory, previous;
};

TEST_F(MusicSlotTest, AFailedLoadLeavesTheSlotAsItWas) {
    // The second name line's LoadMusic finds no memory for its record.
    std::ofstream(directory + "MORVAST.QXP", std::ios::binary) << "[Music][00] 1\r\n"
                                                                  "[Music][01][Filename] first.xm\r\n";
    char name[] = "MORVAST.QXP";
    ASSERT_EQ(ReadPlayScript(name, nullptr), 1);
    ASSERT_EQ(musicTrackCount, 1);
    ASSERT_STREQ(musicTracks[0].fileName, "first.xm");
    std::ofstream(directory + "SECOND.QXP", std::ios::binary) << "[Music][01][Filename] second.xm\r\n";
    char second[] = "SECOND.QXP";
    failTrackRecord = true;
    ReadPlayScript(second, nullptr);
    EXPECT_FALSE(failTrackRecord) << "LoadMusic was not reached";
    // Read under the sanitizer: a freed name here is a use after free.
    EXPECT_STREQ(musicTracks[0].fileName, "first.xm");
    EXPECT_EQ(musicTracks[0].kind, 1);
}

}  // namespace
