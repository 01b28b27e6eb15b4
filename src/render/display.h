// Display devices: enumeration into the device table, pre-selection and the
// dialog's lists (display_devices.cpp); the display set-up and the fixed
// render states (display_setup.cpp); the frame present (present.cpp).
#pragma once

#include <cstdint>

#include "platform/ddraw/d3d.h"
#include "platform/win32/windows.h"

constexpr int kDisplayDeviceSlots = 20;
constexpr int kModesPerDevice = 100;
constexpr int kDeviceNameSize = 40;
constexpr int kDeviceComboBox = 1000;
constexpr int kModeComboBox = 1001;

// The depth range of every projection: the fixed one of InitRenderStates and
// the renderer's per-camera one.
constexpr float kNearPlane = 1.0f;
constexpr float kFarPlane = 1000000.0f;

// One Direct3D device on one display driver, with the modes it can render into.
struct DisplayDevice {
    char name[kDeviceNameSize];
    GUID* deviceGuid;  // points at deviceGuidStorage
    D3DDEVICEDESC7 caps;
    uint32_t isHardware;  // dwDevCaps & D3DDEVCAPS_HWRASTERIZATION, the masked value
    GUID* driverGuid;     // null for the primary display driver, else driverGuidStorage
    DDCAPS driverCaps;
    DDCAPS helCaps;
    DDSURFACEDESC2 chosenMode;  // the mode CreateDisplay sets
    int32_t modeChosen;
    GUID deviceGuidStorage;
    GUID driverGuidStorage;
    DDSURFACEDESC2 modes[kModesPerDevice];
    DDSURFACEDESC2 lastMode;
    uint32_t modeCount;
    uint32_t chosenModeIndex;
};

extern DisplayDevice displayDevices[kDisplayDeviceSlots];  // slot 0 is never filled
extern int32_t displayDeviceCounter;
extern int32_t selectedDevice;
extern int32_t selectedMode;
extern int32_t listedDevices[kDisplayDeviceSlots];  // dialog list position -> slot
extern IDirectDrawSurface7* primarySurface;
extern IDirectDrawSurface7* backBuffer;
extern IDirectDrawSurface7* zBuffer;
extern IDirect3DDevice7* d3dDevice;

// Enumerates the display devices into the table and pre-selects the last (or,
// with the command line "first_device", the first) hardware device and mode
// of width x height; 1 when one was found, 0 (and a log line) when not.
int SelectDisplayDevice(HWND window, int width, int height);
// Fills the dialog's device (1000) and mode (1001) combo boxes.
void FillDeviceLists(HWND dialog, int deviceToSelect, int modeToSelect);
// Nonzero for a name the device list leaves out: shorter than 3 characters,
// or holding "T&L" or "t&l".
int IsHiddenDeviceName(const char* name);
// Creates the full-screen display for the selected device and its chosen
// mode: S_OK or the failing step's result.
HRESULT CreateDisplay(HWND window);
// The fixed material, render states and projection; 0.
int InitRenderStates(IDirect3DDevice7* device);
// Shows the finished frame; the result of the flip.
HRESULT PresentFrame();
// The aspect the projection is given: the integer quotient of screenWidth and
// screenHeight, 1.0 where that quotient is 0 or the height is not positive.
float ProjectionAspect();

// The enumeration callbacks.
BOOL WINAPI OnDisplayDriver(GUID* driverGuid, LPSTR driverDescription, LPSTR driverName,
                            LPVOID context, HMONITOR monitor);
HRESULT WINAPI OnDisplayMode(LPDDSURFACEDESC2 mode, LPVOID context);
HRESULT CALLBACK OnDirect3DDevice(LPSTR deviceDescription, LPSTR deviceName,
                                  LPD3DDEVICEDESC7 description, LPVOID context);
HRESULT CALLBACK OnZBufferFormat(LPDDPIXELFORMAT format, LPVOID context);
