#include "show_session.h"

#include <cstring>

#include "data/data_archive.h"
#include "music/music_player.h"
#include "platform/fmod/sound_system.h"
#include "platform/win32/windows.h"
#include "render/display.h"
#include "render/overlay_text.h"
#include "show/free_show.h"
#include "show/play_script.h"
#include "show/show_files.h"
#include "show/statistics.h"
#include "show/timeline.h"
#include "state/engine_state.h"

namespace velmora::tools {

namespace {

// The milliseconds a hold action sleeps, as HoldFor takes its argument.
uint64_t HoldLength(float milliseconds) {
    if (!(milliseconds > 0.0f)) return 0;
    if (milliseconds >= 4294967295.0f) milliseconds = 4294967295.0f;
    return static_cast<DWORD>(milliseconds);
}

// The hold the pass starting after frames more presented would sleep: its
// action is the one at cursor, performed when due by then.
uint64_t HoldDue(const Action* cursor, uint64_t frames) {
    if (!cursor || cursor->type != kActionHold) return 0;
    const auto elapsed =
        static_cast<int32_t>(platform::VirtualClockMillisecondsAfter(frames, 0) - showStartTime);
    return elapsed >= cursor->time ? HoldLength(cursor->argument) : 0;
}

}  // namespace

bool ShowSession::Start() {
    Stop();
    // Afresh: the clock at 0 with nothing mixed, the sound library as before
    // its first call, the run state as the run sequence sets it.
    platform::StopSoundOutput();
    platform::DropHeardMix();
    platform::UseVirtualClock(rate_, 0);
    platform::StartSoundOutput("");
    // Unheard until a seek reaches its time: the music moves on with the
    // clock without being made.
    platform::SkipMix(true);
    TakeHoldsWhole(true);
    std::strcpy(archiveFileName, kShowArchiveName);
    std::strcpy(scriptFileName, kShowScriptName);
    frameCounter = 0;
    actionList.next = nullptr;
    timelineStarted = 0;
    exitRequested = 0;
    LoadDataArchive(archiveFileName);
    read_ = ReadPlayScript(scriptFileName, d3dDevice) != 0;
    showStartTime = timeGetTime();
    started_ = true;
    shown_ = 0;
    return read_;
}

void ShowSession::Stop() {
    if (!started_) return;
    for (int i = 0; i < musicTrackCount; ++i) StopMusic(&musicTracks[i]);
    FreeShow();
    started_ = false;
}

bool ShowSession::Ended() const { return exitRequested != 0; }

uint64_t ShowSession::NextPresentFrame() const {
    const Action* cursor = timelineStarted ? actionCursor : actionList.next;
    return platform::VirtualClockFilmPositionAfter(0, HoldDue(cursor, 0)).frame;
}

uint64_t ShowSession::FollowingPresentFrame() const {
    // Called between the two halves of a pass: this pass presents one frame on.
    return platform::VirtualClockFilmPositionAfter(1, HoldDue(actionCursor, 1)).frame;
}

void ShowSession::DrawOrStep(bool draw) {
    // The main loop's frame, with the target cleared after the action rather
    // than before it: the action draws nothing, so the picture is the same.
    if (draw) {
        if (d3dDevice) d3dDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
        StepPlayingScenes(d3dDevice, true);
        if (frameCounter <= 5) DrawOverlayText("", 0, 0, 255, 255, 0);
        DrawStatistics(fpsFrameCount, fpsWindowStart);
    } else {
        StepPlayingScenes(d3dDevice, false);
    }
}

void ShowSession::Pass(bool draw) {
    PerformDueAction(d3dDevice);
    DrawOrStep(draw);
    if (!draw) {
        shown_ = platform::VirtualClockFilmPosition().frame;
        platform::FramePresented();
    }
}

void ShowSession::Present() {
    shown_ = platform::VirtualClockFilmPosition().frame;
    PresentFrame();
}

void ShowSession::SeekTo(uint64_t target) {
    Start();
    for (;;) {
        PerformDueAction(d3dDevice);
        // Drawn when the next pass would present after the target, or when
        // this is the show's last pass.
        const bool last = !renderList.next && !actionCursor;
        if (last || FollowingPresentFrame() > target) {
            // Every song and stream at its place of this time, heard from here.
            platform::SkipMix(false);
            DrawOrStep(true);
            return;
        }
        DrawOrStep(false);
        shown_ = platform::VirtualClockFilmPosition().frame;
        platform::FramePresented();
    }
}

}  // namespace velmora::tools
