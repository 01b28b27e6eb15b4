#include "app/display_start.h"

#include <cstring>

#include "app/window_proc.h"
#include "render/display.h"
#include "state/engine_state.h"

HWND OpenRenderWindow(HINSTANCE instance, const char* title) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = "Render Window";
    // A second program start in one process finds the class already there.
    RegisterClassA(&windowClass);

    HWND window = CreateWindowExA(0, "Render Window", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 400, 300, nullptr, nullptr, instance, nullptr);
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

HRESULT StartDisplay(HWND window) {
    const HRESULT result = CreateDisplay(window);
    InitRenderStates(d3dDevice);
    return result;
}

bool StartDisplayAt(int width, int height, const char* title, std::string& why) {
    static char instanceMarker;
    HWND window = OpenRenderWindow(reinterpret_cast<HINSTANCE>(&instanceMarker), title);
    if (!window) {
        why = "no render window could be made";
        return false;
    }
    screenWidth = width;
    screenHeight = height;
    commandLine[0] = '\0';
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    if (!SelectDisplayDevice(window, width, height)) {
        why = "no display device offers " + size;
        return false;
    }
    if (FAILED(StartDisplay(window))) {
        why = "the display could not be set up at " + size;
        return false;
    }
    return true;
}

void ForgetDisplay() {
    d3dDevice = nullptr;
    primarySurface = backBuffer = zBuffer = nullptr;
    std::memset(displayDevices, 0, sizeof displayDevices);
    selectedDevice = selectedMode = displayDeviceCounter = 0;
}
