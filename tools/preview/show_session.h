// The show in the current folder played in this process the way the main
// loop plays it, one pass at a time, on the virtual clock: a pass performs
// the action due, moves the playing scenes on and presents, drawn or not.
// Because the clock moves only per pass and per hold, any show time can be
// reached exactly by starting afresh and running the passes before it undrawn.
// Show time is counted in frames of the clock's film: frame k is k / rate
// seconds after the start, and the picture on screen then is the last one
// presented at or before it (a hold keeps the one before it on screen).
#pragma once

#include <cstdint>

#include "platform/backend/frame_clock.h"

namespace velmora::tools {

class ShowSession {
public:
    explicit ShowSession(platform::FrameRate rate) : rate_(rate) {}
    ~ShowSession() { Stop(); }
    ShowSession(const ShowSession&) = delete;
    ShowSession& operator=(const ShowSession&) = delete;

    // Reads MORVAST.QXD and MORVAST.QXP from the current folder afresh, with
    // the clock and the sound library back at their start and the music
    // unheard (moved on with the clock, not made) until a seek. False when
    // the script could not be opened (the show is then empty).
    bool Start();
    // The music stopped and the whole show freed.
    void Stop();

    // One pass, drawn or only stepped. A drawn pass leaves its picture in the
    // back buffer for Present, so that the bar can go over it.
    void Pass(bool draw);
    void Present();

    // Starts afresh and runs undrawn and unheard up to the pass whose picture
    // is on screen at film frame target, which is drawn (not presented); the
    // music playing then sounds from its place at that time as the clock
    // moves on. Frames past the show's end give its last pass.
    void SeekTo(uint64_t target);

    // The film frame the next pass presents on: after its hold, if its action
    // is one.
    uint64_t NextPresentFrame() const;
    // The film frame on screen now: where the last pass presented.
    uint64_t ShownFrame() const { return shown_; }
    bool Ended() const;
    bool started() const { return started_; }
    const platform::FrameRate& rate() const { return rate_; }

private:
    // The film frame the pass after the one under way presents on.
    uint64_t FollowingPresentFrame() const;
    void DrawOrStep(bool draw);

    platform::FrameRate rate_;
    bool started_ = false;
    bool read_ = false;
    uint64_t shown_ = 0;
};

}  // namespace velmora::tools
