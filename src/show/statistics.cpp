#include "show/statistics.h"

#include <cstdio>
#include <initializer_list>

#include "diag/log.h"
#include "diag/memory_counters.h"
#include "platform/win32/windows.h"
#include "render/display.h"
#include "render/overlay_text.h"
#include "state/engine_state.h"

namespace {

// The selected device's name and mode. A selection outside the table (no
// device found, nothing chosen) reports an empty name and a 0x0x0 mode
// rather than reading past it.
struct SelectedDisplay {
    const char* name = "";
    long width = 0, height = 0, bits = 0;
};

SelectedDisplay Selected() {
    SelectedDisplay selected;
    if (selectedDevice < 0 || selectedDevice >= kDisplayDeviceSlots) return selected;
    const DisplayDevice& device = displayDevices[selectedDevice];
    selected.name = device.name;
    if (selectedMode < 0 || selectedMode >= kModesPerDevice) return selected;
    const DDSURFACEDESC2& mode = device.modes[selectedMode];
    selected.width = static_cast<long>(mode.dwWidth);
    selected.height = static_cast<long>(mode.dwHeight);
    selected.bits = static_cast<long>(mode.ddpfPixelFormat.dwRGBBitCount);
    return selected;
}

// The sum of the byte counters, held at the 32-bit range instead of wrapping.
int32_t TotalMemory() {
    int32_t total = 0;
    for (int32_t counter : {textureMemoryCounter, animationMemoryCounter, generalMemoryCounter, fileMemoryCounter})
        CountMemory(&total, counter);
    return total;
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

void LogDeviceStatistics() {
    SelectedDisplay selected = Selected();
    WriteLogFormat("Driver:\t\t\t%s", selected.name);
    WriteLogFormat("Width x Height x BPP:\t%ldx%ldx%ld", selected.width, selected.height, selected.bits);
    WriteLog("");
}

void DrawStatistics(int32_t frames, uint32_t startTime) {
    if (!showStatistics) return;
    // Large enough for the longest line, the driver line with a whole device name.
    char line[64 + kDeviceNameSize];
    SelectedDisplay selected = Selected();
    std::snprintf(line, sizeof line, "Driver: %s", selected.name);
    DrawOverlayText(line, 0, 0, 255, 255, 0);
    std::snprintf(line, sizeof line, "Width x Height x BPP: %ldx%ldx%ld", selected.width, selected.height,
                  selected.bits);
    DrawOverlayText(line, 0, 15, 255, 255, 0);
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
