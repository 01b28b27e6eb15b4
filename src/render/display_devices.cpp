// Display devices: enumeration of every Direct3D device on every display
// driver into the device table, the pre-selection of a device and mode, and
// the configuration dialog's device and mode lists.
#include <cstdio>
#include <cstring>

#include "diag/log.h"
#include "render/display.h"
#include "state/engine_state.h"

DisplayDevice displayDevices[kDisplayDeviceSlots];
int32_t displayDeviceCounter = 0;
int32_t selectedDevice = 0;
int32_t selectedMode = 0;
int32_t listedDevices[kDisplayDeviceSlots];

namespace {

constexpr DWORD kHardwareRasterisation = 0x80000;

// The record each display driver's modes are gathered in before its devices
// are entered into the table.
DisplayDevice scratch;

// Copies at most size - 1 characters and always terminates.
void CopyName(char* to, const char* from, size_t size) {
    std::strncpy(to, from ? from : "", size - 1);
    to[size - 1] = '\0';
}

bool ModeUsable(const DDSURFACEDESC2& mode, DWORD renderDepths) {
    switch (mode.ddpfPixelFormat.dwRGBBitCount) {
        case 32: return (renderDepths & DDBD_32) != 0;
        case 24: return (renderDepths & DDBD_24) != 0;
        case 16: return (renderDepths & DDBD_16) != 0;
        default: return false;
    }
}

}  // namespace

BOOL WINAPI OnDisplayDriver(GUID* driverGuid, LPSTR driverDescription, LPSTR, LPVOID, HMONITOR) {
    IDirectDraw7* directDraw = nullptr;
    if (FAILED(DirectDrawCreateEx(driverGuid, reinterpret_cast<void**>(&directDraw),
                                  IID_IDirectDraw7, nullptr)))
        return 1;
    IDirect3D7* direct3d = nullptr;
    if (FAILED(directDraw->QueryInterface(IID_IDirect3D7, reinterpret_cast<void**>(&direct3d)))) {
        directDraw->Release();
        return 1;
    }
    std::memset(&scratch, 0, sizeof scratch);
    CopyName(scratch.name, driverDescription, sizeof scratch.name);
    scratch.driverCaps.dwSize = sizeof(DDCAPS);
    scratch.helCaps.dwSize = sizeof(DDCAPS);
    directDraw->GetCaps(&scratch.driverCaps, &scratch.helCaps);
    scratch.driverGuid = driverGuid;
    if (driverGuid) scratch.driverGuidStorage = *driverGuid;
    directDraw->EnumDisplayModes(0, nullptr, &scratch, OnDisplayMode);
    direct3d->EnumDevices(OnDirect3DDevice, &scratch);
    direct3d->Release();
    directDraw->Release();
    return 1;
}

HRESULT WINAPI OnDisplayMode(LPDDSURFACEDESC2 mode, LPVOID context) {
    DisplayDevice* driver = static_cast<DisplayDevice*>(context);
    if (mode && driver->modeCount < kModesPerDevice) driver->modes[driver->modeCount++] = *mode;
    return DDENUMRET_OK;
}

HRESULT CALLBACK OnDirect3DDevice(LPSTR, LPSTR deviceName, LPD3DDEVICEDESC7 description,
                                  LPVOID context) {
    const DisplayDevice* driver = static_cast<const DisplayDevice*>(context);
    ++displayDeviceCounter;
    if (displayDeviceCounter >= kDisplayDeviceSlots || !description) return 1;
    DisplayDevice& slot = displayDevices[displayDeviceCounter];
    std::memset(&slot, 0, sizeof slot);
    slot.isHardware = description->dwDevCaps & kHardwareRasterisation;
    slot.caps = *description;
    slot.driverCaps = driver->driverCaps;
    slot.helCaps = driver->helCaps;
    slot.deviceGuidStorage = description->deviceGUID;
    slot.deviceGuid = &slot.deviceGuidStorage;
    if (driver->driverGuid) {
        slot.driverGuidStorage = driver->driverGuidStorage;
        slot.driverGuid = &slot.driverGuidStorage;
        CopyName(slot.name, driver->name, kDeviceNameSize - 1);
    } else {
        slot.driverGuid = nullptr;
        CopyName(slot.name, deviceName, kDeviceNameSize - 1);
    }
    // A software device of a secondary driver keeps its name and no modes.
    if (slot.driverGuid && !slot.isHardware) return 1;
    for (uint32_t m = 0; m < driver->modeCount && slot.modeCount < kModesPerDevice; ++m)
        if (ModeUsable(driver->modes[m], slot.caps.dwDeviceRenderBitDepth))
            slot.modes[slot.modeCount++] = driver->modes[m];
    if (slot.modeCount == 0) return 1;
    slot.lastMode = slot.modes[slot.modeCount - 1];
    slot.chosenModeIndex = slot.modeCount - 1;
    // The slot after an accepted device stays empty.
    ++displayDeviceCounter;
    return 1;
}

int SelectDisplayDevice(HWND, int width, int height) {
    // The table is filled from empty, so a second call gives the same slots.
    std::memset(displayDevices, 0, sizeof displayDevices);
    displayDeviceCounter = 0;
    DirectDrawEnumerateExA(OnDisplayDriver, nullptr,
                           DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES |
                               DDENUM_NONDISPLAYDEVICES);

    bool firstDevice = std::strcmp(commandLine, "first_device") == 0;
    bool done = false;
    for (int i = 0; i < kDisplayDeviceSlots && !done; ++i) {
        const DisplayDevice& device = displayDevices[i];
        if (!device.isHardware) continue;
        for (uint32_t j = 0; j < device.modeCount; ++j) {
            const DDSURFACEDESC2& mode = device.modes[j];
            if (mode.dwWidth != static_cast<DWORD>(width) || mode.dwHeight != static_cast<DWORD>(height))
                continue;
            selectedDevice = i;
            selectedMode = static_cast<int32_t>(j);
            if (firstDevice) {
                done = true;
                break;
            }
        }
    }
    if (selectedDevice == 0 && selectedMode == 0) {
        WriteLog("ERROR:\t\tNo hardware device found with the right res.");
        return 0;
    }
    return 1;
}

int IsHiddenDeviceName(const char* name) {
    if (!name || std::strlen(name) < 3) return 1;
    return std::strstr(name, "T&L") != nullptr || std::strstr(name, "t&l") != nullptr;
}

void FillDeviceLists(HWND dialog, int deviceToSelect, int modeToSelect) {
    SendDlgItemMessageA(dialog, kDeviceComboBox, CB_RESETCONTENT, 0, 0);
    SendDlgItemMessageA(dialog, kModeComboBox, CB_RESETCONTENT, 0, 0);
    int listed = 0;
    for (int j = 0; j < kDisplayDeviceSlots; ++j) {
        const DisplayDevice& device = displayDevices[j];
        if (IsHiddenDeviceName(device.name) || device.name[0] == '\0' ||
            device.modes[0].dwWidth == 0 || !device.isHardware)
            continue;
        listedDevices[listed++] = j;
        LRESULT entry = SendDlgItemMessageA(dialog, kDeviceComboBox, CB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(device.name));
        SendDlgItemMessageA(dialog, kDeviceComboBox, CB_SETITEMDATA, static_cast<WPARAM>(entry), j);
        if (j == deviceToSelect)
            SendDlgItemMessageA(dialog, kDeviceComboBox, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    }
    // A device number from outside the table lists no modes.
    if (deviceToSelect < 0 || deviceToSelect >= kDisplayDeviceSlots) return;
    const DisplayDevice& device = displayDevices[deviceToSelect];
    for (uint32_t k = 0; k < device.modeCount && k < kModesPerDevice; ++k) {
        const DDSURFACEDESC2& mode = device.modes[k];
        char text[64];
        if (mode.dwWidth == 0 && mode.dwHeight == 0)
            std::snprintf(text, sizeof text, "%ld-bit Desktop Window",
                          static_cast<long>(mode.ddpfPixelFormat.dwRGBBitCount));
        else
            std::snprintf(text, sizeof text, "%ld x %ld x %ld", static_cast<long>(mode.dwWidth),
                          static_cast<long>(mode.dwHeight),
                          static_cast<long>(mode.ddpfPixelFormat.dwRGBBitCount));
        LRESULT entry = SendDlgItemMessageA(dialog, kModeComboBox, CB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(text));
        SendDlgItemMessageA(dialog, kModeComboBox, CB_SETITEMDATA, static_cast<WPARAM>(entry), k);
        if (static_cast<int>(k) == modeToSelect)
            SendDlgItemMessageA(dialog, kModeComboBox, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
    }
}
