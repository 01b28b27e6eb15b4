// How the stand-in's clock is driven: the real monotonic clock, or a virtual
// one that moves only when a frame is presented or the program sleeps.
#pragma once

#include <cstdint>
#include <string>

namespace velmora::platform {

// A frame rate as an exact fraction, frames per second = numerator / denominator.
struct FrameRate {
    uint64_t numerator = 0;
    uint64_t denominator = 1;
};

// Parses a positive decimal such as "30" or "59.94"; false for anything else.
bool ParseFrameRate(const char* text, FrameRate& rate);

// Reads VELMORA_FPS. Returns false with a message when it is set but not a
// positive decimal; leaves the real clock in use when it is unset.
bool ConfigureClockFromEnvironment(std::string& error);

void UseRealClock();
// Frame k is shown exactly floor(k * 1000 / rate) ms after startValue.
void UseVirtualClock(const FrameRate& rate, uint32_t startValue);
bool VirtualClockInUse();

// Called by the display stand-in each time a frame is presented.
void FramePresented();

}  // namespace velmora::platform
