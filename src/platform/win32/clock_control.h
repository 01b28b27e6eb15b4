// How the stand-in's clock is driven: the real monotonic clock, or a virtual
// one that moves only when a frame is presented or the program sleeps.
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

// The frames of a film at the clock's own rate that the time passed reaches
// into: the frames presented plus the milliseconds slept, counted in frames
// and rounded up. The frame being presented now starts on this film frame;
// a picture held through a sleep fills the film up to it. 0 on the real clock.
uint64_t VirtualClockFilmFrames();

// Called after every frame presented and every Sleep, on either clock (the
// sound library stand-in mixes in step with the clock through it). One
// listener at a time; null removes it.
using ClockListener = void (*)();
void SetClockListener(ClockListener listener);

}  // namespace velmora::platform
