// The frame clock that the stand-ins share: the real monotonic clock, or a
// virtual one that moves only when a frame is presented or the program
// sleeps. The Win32 stand-in's timeGetTime and Sleep read and move it, the
// display presents frames on it, the sound output and the capture keep step
// with it.
#pragma once

#include <cstdint>

namespace velmora::platform {

// A frame rate as an exact fraction, frames per second = numerator / denominator.
struct FrameRate {
    uint64_t numerator = 0;
    uint64_t denominator = 1;
};

// Parses a positive decimal such as "30" or "59.94"; false for anything else.
bool ParseFrameRate(const char* text, FrameRate& rate);

void UseRealClock();
// Frame k is shown exactly floor(k * 1000 / rate) ms after startValue.
void UseVirtualClock(const FrameRate& rate, uint32_t startValue);
bool VirtualClockInUse();

// One frame has been shown: the virtual clock moves on by one frame. Called
// only by the display stand-in, once per refresh that passes.
void FramePresented();

// The samples of a sound at sampleRate that fit the time passed on the
// virtual clock since it started: floor((frames x 1000 / rate + slept ms) x
// sampleRate / 1000), worked out exactly, so that through frame k without a
// sleep it is floor(k x sampleRate / rate) and nothing drifts. 0 on the real clock.
uint64_t VirtualClockSamples(uint32_t sampleRate);

// Where the time now falls in a film at the clock's own rate: the frames
// presented plus the milliseconds slept counted in whole frames, rounded
// down, and whether the time is partway into that film frame. A frame
// presented now goes on this film frame, never later than its time, so that
// its sound, which starts on the time itself, lags it by less than a frame.
struct FilmPosition {
    uint64_t frame = 0;
    bool partway = false;
};
// Frame 0, not partway, on the real clock.
FilmPosition VirtualClockFilmPosition();

// Where the virtual clock would stand with frames more presented and
// milliseconds more slept: its time, and where that falls in its film. A
// preview that decides before a frame whether the frame is drawn looks ahead
// with them. On the real clock: the time now, and frame 0.
uint32_t VirtualClockMillisecondsAfter(uint64_t frames, uint64_t milliseconds);
FilmPosition VirtualClockFilmPositionAfter(uint64_t frames, uint64_t milliseconds);

// Called after every frame presented and every Sleep, on either clock (the
// sound library stand-in mixes in step with the clock through it). One
// listener at a time; null removes it.
using ClockListener = void (*)();
void SetClockListener(ClockListener listener);

// The clock's time in milliseconds, as timeGetTime answers it.
uint32_t ClockMilliseconds();
// Waits that long on the real clock, or moves the virtual clock on by it;
// the listener is told after either.
void ClockSleep(uint32_t milliseconds);

}  // namespace velmora::platform
