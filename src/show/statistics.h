// Frame-rate and memory statistics: the closing log lines and the on-screen report.
#pragma once

#include <cstdint>

// Frames per second over the frames counted since startTime; 0 when no
// millisecond has passed yet, rather than a rate that is not finite.
float FrameRate(int32_t frames, uint32_t startTime);

void LogMemoryStatistics();
void LogRunStatistics(int32_t frames, uint32_t startTime);
void LogDeviceStatistics();

// The on-screen report, drawn only while showStatistics is set.
void DrawStatistics(int32_t frames, uint32_t startTime);
