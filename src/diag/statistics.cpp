#include "diag/statistics.h"

#include <cstdio>

#include "app/engine_state.h"
#include "diag/log.h"
#include "diag/overlay_text.h"
#include "platform/win32/windows.h"

int32_t textureMemoryCounter = 0;
int32_t textureAllocationCounter = 0;
int32_t animationMemoryCounter = 0;
int32_t generalMemoryCounter = 0;
int32_t fileMemoryCounter = 0;

void CountMemory(int32_t* counter, int64_t bytes) {
    int64_t sum = static_cast<int64_t>(*counter) + bytes;
    if (sum > INT32_MAX) sum = INT32_MAX;
    if (sum < INT32_MIN) sum = INT32_MIN;
    *counter = static_cast<int32_t>(sum);
}

namespace {

int32_t TotalMemory() {
    return textureMemoryCounter + animationMemoryCounter + generalMemoryCounter +
           fileMemoryCounter;
}

}  // namespace

float FrameRate(int32_t frames, uint32_t startTime) {
    uint32_t elapsed = timeGetTime() - startTime;
    if (elapsed == 0) return 0.0f;
    return static_cast<float>(frames / (elapsed / 1000.0));
}

void LogMemoryStatistics() {
    WriteLogFormat("Minimum of texture memory malloced: %d", textureMemoryCounter);
    WriteLogFormat("Minimum of animatie memory malloced: %d", animationMemoryCounter);
    WriteLogFormat("Minimum of general memory malloced: %d", generalMemoryCounter);
    WriteLogFormat("Minimum of file memory malloced: %d", fileMemoryCounter);
    WriteLogFormat("Minimum of total memory malloced: %d", TotalMemory());
    WriteLogFormat("Texture malloced counted: %d", textureAllocationCounter);
    WriteLog("");
}

void LogRunStatistics(int32_t frames, uint32_t startTime) {
    WriteLogFormat("FPS:\t\t%f", static_cast<double>(FrameRate(frames, startTime)));
    WriteLogFormat("Time(sec):\t%f", (timeGetTime() - startTime) / 1000.0);
    WriteLog("");
}

// The display device table does not exist yet; its lines join when it does.
void LogDeviceStatistics() {}

void DrawStatistics(int32_t frames, uint32_t startTime) {
    if (!showStatistics) return;
    // The driver and mode lines (y 0 and 15) join once the device table exists.
    char line[256];
    std::snprintf(line, sizeof line, "FPS: %f", static_cast<double>(FrameRate(frames, startTime)));
    DrawOverlayText(line, 0, 30, 255, 255, 0);
    const struct {
        const char* format;
        int32_t value;
    } memoryLines[] = {
        {"Minimum of texture memory malloced: %d", textureMemoryCounter},
        {"Minimum of animatie memory malloced: %d", animationMemoryCounter},
        {"Minimum of general memory malloced: %d", generalMemoryCounter},
        {"Minimum of file memory malloced: %d", fileMemoryCounter},
        {"Minimum of total memory malloced: %d", TotalMemory()},
        {"Texture malloced counted: %d", textureAllocationCounter},
    };
    int y = 45;
    for (const auto& memoryLine : memoryLines) {
        std::snprintf(line, sizeof line, memoryLine.format, memoryLine.value);
        DrawOverlayText(line, 0, y, 255, 255, 0);
        y += 15;
    }
}
