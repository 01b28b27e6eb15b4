#include "render/display.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "diag/log.h"
#include "platform/ddraw/ddraw.h"
#include "platform/ddraw/display_objects.h"
#include "platform/win32/dialog_controls.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "support/recording_device.h"

using velmora::testing::ReadFile;
using velmora::testing::RecordingDevice;

namespace {

void ResetDisplayGlobals() {
    std::memset(displayDevices, 0, sizeof displayDevices);
    std::memset(listedDevices, 0, sizeof listedDevices);
    displayDeviceCounter = selectedDevice = selectedMode = 0;
    primarySurface = backBuffer = zBuffer = nullptr;
    d3dDevice = nullptr;
}

class DisplayTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        CreateRenderWindow();
        ResetDisplayGlobals();
        velmora::platform::ResetDialogControls();
        directory = velmora::testing::MakeTempDirectory() + "/";
        std::snprintf(exeDirectory, sizeof exeDirectory, "%s", directory.c_str());
        logEnabled = 1;
    }
    void TearDown() override {
        velmora::platform::ReleaseDisplayObjects();
        ResetDisplayGlobals();
        EngineTest::TearDown();
    }
    std::string Log() { return ReadFile(directory + "Log.TXT"); }
    std::string ComboText(int control, int index) {
        char text[128] = {};
        SendDlgItemMessageA(dialog, control, CB_GETLBTEXT, static_cast<WPARAM>(index),
                            reinterpret_cast<LPARAM>(text));
        return text;
    }
    // A mode record as the driver reports one.
    static DDSURFACEDESC2 Mode(DWORD width, DWORD height, DWORD bits) {
        DDSURFACEDESC2 mode{};
        mode.dwSize = kSurfaceDescSize;
        mode.dwWidth = width;
        mode.dwHeight = height;
        mode.ddpfPixelFormat.dwRGBBitCount = bits;
        return mode;
    }
    static D3DDEVICEDESC7 Device(DWORD caps, DWORD depths, uint8_t guidByte) {
        D3DDEVICEDESC7 description{};
        description.dwDevCaps = caps;
        description.dwDeviceRenderBitDepth = depths;
        description.deviceGUID.Data4[7] = guidByte;
        return description;
    }
    std::string directory;
    HWND dialog = reinterpret_cast<HWND>(0x1234);
};

TEST_F(DisplayTest, TableHoldsTheThreeReportedDevicesInSlotsOneThreeFive) {
    EXPECT_EQ(SelectDisplayDevice(nullptr, 640, 480), 1);
    const char* names[] = {"", "RGB Emulation", "", "Direct3D HAL", "", "Direct3D T&L HAL"};
    for (int slot = 0; slot < 6; ++slot) EXPECT_STREQ(displayDevices[slot].name, names[slot]) << slot;
    EXPECT_EQ(displayDevices[1].isHardware, 0u);
    EXPECT_EQ(displayDevices[3].isHardware, 0x80000u);  // the masked value, not 1
    EXPECT_EQ(displayDevices[5].isHardware, 0x80000u);
    for (int slot : {1, 3, 5}) {
        const DisplayDevice& device = displayDevices[slot];
        EXPECT_EQ(device.driverGuid, nullptr);
        EXPECT_EQ(device.deviceGuid, &device.deviceGuidStorage);
        EXPECT_EQ(device.driverCaps.dwSize, 380u);
        // 640x480 ... 1920x1080 and the desktop's 1024x768 once: 7 sizes at 16 and 32 bits.
        ASSERT_EQ(device.modeCount, 14u);
        EXPECT_EQ(device.chosenModeIndex, 13u);
        EXPECT_EQ(std::memcmp(&device.lastMode, &device.modes[13], sizeof device.lastMode), 0);
    }
    EXPECT_TRUE(IsEqualGUID(*displayDevices[3].deviceGuid, IID_IDirect3DHALDevice));
    EXPECT_TRUE(IsEqualGUID(*displayDevices[5].deviceGuid, IID_IDirect3DTnLHalDevice));
    const DisplayDevice& hal = displayDevices[3];
    EXPECT_EQ(hal.modes[0].dwWidth, 640u);
    EXPECT_EQ(hal.modes[0].ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(hal.modes[1].ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(hal.modes[13].dwWidth, 1920u);
    for (uint32_t m = 1; m < hal.modeCount; ++m)
        EXPECT_LE(hal.modes[m - 1].dwWidth * 10000 + hal.modes[m - 1].dwHeight,
                  hal.modes[m].dwWidth * 10000 + hal.modes[m].dwHeight);
    // The last 640x480 mode of the last hardware device.
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 1);
    EXPECT_EQ(Log(), "");
}

TEST_F(DisplayTest, DesktopSizeJoinsTheModesInItsPlace) {
    windowSystem->desktopWidth = 2560;
    windowSystem->desktopHeight = 1440;
    SelectDisplayDevice(nullptr, 2560, 1440);
    const DisplayDevice& device = displayDevices[5];
    ASSERT_EQ(device.modeCount, 16u);
    EXPECT_EQ(device.modes[15].dwWidth, 2560u);
    EXPECT_EQ(device.modes[15].dwHeight, 1440u);
    EXPECT_EQ(selectedMode, 15);
}

TEST_F(DisplayTest, FirstDeviceKeepsTheFirstMatch) {
    std::strcpy(commandLine, "first_device");
    EXPECT_EQ(SelectDisplayDevice(nullptr, 640, 480), 1);
    EXPECT_EQ(selectedDevice, 3);
    EXPECT_EQ(selectedMode, 0);
    // Only the whole word counts.
    std::strcpy(commandLine, "first_device ");
    SelectDisplayDevice(nullptr, 800, 600);
    EXPECT_EQ(selectedDevice, 5);
    EXPECT_EQ(selectedMode, 3);
}

TEST_F(DisplayTest, NoModeOfTheSizeIsLoggedAndGivesZero) {
    EXPECT_EQ(SelectDisplayDevice(nullptr, 123, 45), 0);
    EXPECT_EQ(Log(), "ERROR:\t\tNo hardware device found with the right res.\r\n");
}

TEST_F(DisplayTest, SlotRulesOfTheDeviceCallback) {
    DisplayDevice driver{};
    driver.modes[0] = Mode(640, 480, 16);
    driver.modes[1] = Mode(640, 480, 24);
    driver.modes[2] = Mode(640, 480, 8);
    driver.modes[3] = Mode(800, 600, 32);
    driver.modeCount = 4;
    char name[] = "A device name that is far longer than the thirty-nine characters a slot holds";

    // A usable device, then one without a usable mode, then a usable one.
    D3DDEVICEDESC7 usable = Device(0x80000, DDBD_16 | DDBD_24, 1);
    OnDirect3DDevice(nullptr, name, &usable, &driver);
    D3DDEVICEDESC7 unusable = Device(0x80000, DDBD_8, 2);
    OnDirect3DDevice(nullptr, name, &unusable, &driver);
    D3DDEVICEDESC7 software = Device(0, DDBD_32, 3);
    OnDirect3DDevice(nullptr, name, &software, &driver);
    EXPECT_EQ(displayDevices[1].modeCount, 2u);  // 16 and 24 bits; 8 bits never
    EXPECT_EQ(displayDevices[1].chosenModeIndex, 1u);
    EXPECT_EQ(std::strlen(displayDevices[1].name), 38u);
    EXPECT_STREQ(displayDevices[2].name, "");  // left empty after an accepted device
    EXPECT_EQ(displayDevices[3].modeCount, 0u);  // named, but without modes
    EXPECT_EQ(displayDevices[3].deviceGuidStorage.Data4[7], 2);
    EXPECT_EQ(displayDevices[4].modeCount, 1u);  // the slot right after it
    EXPECT_EQ(displayDevices[4].modes[0].dwWidth, 800u);
    EXPECT_EQ(displayDeviceCounter, 5);

    // A secondary driver: devices take the driver's name, its software device
    // keeps no modes and takes one slot only.
    GUID secondary{};
    secondary.Data1 = 7;
    DisplayDevice other{};
    std::strcpy(other.name, "Second card");
    other.driverGuid = &secondary;
    other.driverGuidStorage = secondary;
    other.modes[0] = Mode(640, 480, 32);
    other.modeCount = 1;
    OnDirect3DDevice(nullptr, name, &software, &other);
    EXPECT_STREQ(displayDevices[6].name, "Second card");
    EXPECT_EQ(displayDevices[6].driverGuid, &displayDevices[6].driverGuidStorage);
    EXPECT_EQ(displayDevices[6].driverGuidStorage.Data1, 7u);
    EXPECT_EQ(displayDevices[6].modeCount, 0u);
    EXPECT_EQ(displayDeviceCounter, 6);

    // Slots end at 19: 7, 9 ... 19 are filled, then nothing more.
    D3DDEVICEDESC7 hardware = Device(0x80000, DDBD_32, 4);
    for (int i = 0; i < 10; ++i) OnDirect3DDevice(nullptr, name, &hardware, &other);
    EXPECT_EQ(displayDevices[17].modeCount, 1u);
    EXPECT_EQ(displayDevices[18].modeCount, 0u);
    EXPECT_EQ(displayDevices[19].modeCount, 1u);
    EXPECT_GE(displayDeviceCounter, 20);
}

TEST_F(DisplayTest, ModeCallbackKeepsTheFirstHundred) {
    DisplayDevice driver{};
    for (DWORD i = 0; i < 130; ++i) {
        DDSURFACEDESC2 mode = Mode(100 + i, 100, 32);
        EXPECT_EQ(OnDisplayMode(&mode, &driver), DDENUMRET_OK);
    }
    EXPECT_EQ(driver.modeCount, 100u);
    EXPECT_EQ(driver.modes[99].dwWidth, 199u);
}

TEST_F(DisplayTest, HiddenNames) {
    EXPECT_TRUE(IsHiddenDeviceName("Direct3D T&L HAL"));
    EXPECT_TRUE(IsHiddenDeviceName("Card T&L"));
    EXPECT_TRUE(IsHiddenDeviceName("lower t&l device"));
    EXPECT_FALSE(IsHiddenDeviceName("Mixed T&l device"));
    EXPECT_FALSE(IsHiddenDeviceName("Direct3D HAL"));
    EXPECT_TRUE(IsHiddenDeviceName("HA"));
    EXPECT_TRUE(IsHiddenDeviceName(""));
    EXPECT_FALSE(IsHiddenDeviceName("HAL"));
}

TEST_F(DisplayTest, DialogListsShowTheVisibleHardwareDevicesAndTheirModes) {
    SelectDisplayDevice(nullptr, 640, 480);
    displayDevices[3].modes[2] = Mode(0, 0, 32);
    FillDeviceLists(dialog, 3, 1);
    // RGB Emulation is no hardware device and the T&L device is hidden.
    ASSERT_EQ(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(ComboText(kDeviceComboBox, 0), "Direct3D HAL");
    EXPECT_EQ(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETITEMDATA, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(listedDevices[0], 3);
    ASSERT_EQ(SendDlgItemMessageA(dialog, kModeComboBox, CB_GETCOUNT, 0, 0), 14);
    EXPECT_EQ(ComboText(kModeComboBox, 0), "640 x 480 x 16");
    EXPECT_EQ(ComboText(kModeComboBox, 1), "640 x 480 x 32");
    EXPECT_EQ(ComboText(kModeComboBox, 2), "32-bit Desktop Window");
    EXPECT_EQ(SendDlgItemMessageA(dialog, kModeComboBox, CB_GETITEMDATA, 13, 0), 13);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kModeComboBox, CB_GETCURSEL, 0, 0), 1);

    // Filling again starts from empty boxes; a device outside the table lists no modes.
    FillDeviceLists(dialog, 99, 0);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kDeviceComboBox, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kModeComboBox, CB_GETCOUNT, 0, 0), 0);
}

TEST_F(DisplayTest, CreateDisplayBuildsTheFlippingChain) {
    SelectDisplayDevice(nullptr, 640, 480);
    displayDevices[5].chosenMode = displayDevices[5].modes[1];
    displayDevices[5].modeChosen = 1;
    ASSERT_EQ(CreateDisplay(window), S_OK);
    ASSERT_NE(primarySurface, nullptr);
    ASSERT_NE(backBuffer, nullptr);
    ASSERT_NE(zBuffer, nullptr);
    ASSERT_NE(d3dDevice, nullptr);
    EXPECT_EQ(windowSystem->displayWidth, 640);
    EXPECT_EQ(windowSystem->displayHeight, 480);
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    ASSERT_EQ(zBuffer->GetSurfaceDesc(&description), DD_OK);
    EXPECT_EQ(description.dwWidth, 640u);
    EXPECT_EQ(description.ddpfPixelFormat.dwFlags, static_cast<DWORD>(DDPF_ZBUFFER));
    EXPECT_EQ(description.ddpfPixelFormat.dwZBufferBitDepth, 32u);  // the first plain format
    EXPECT_TRUE(description.ddsCaps.dwCaps & DDSCAPS_SYSTEMMEMORY);  // not the HAL device
    DDSCAPS2 caps = {DDSCAPS_ZBUFFER, 0, 0, {0}};
    IDirectDrawSurface7* attached = nullptr;
    ASSERT_EQ(backBuffer->GetAttachedSurface(&caps, &attached), DD_OK);
    EXPECT_EQ(attached, zBuffer);
    attached->Release();
    D3DDEVICEDESC7 device{};
    d3dDevice->GetCaps(&device);
    EXPECT_TRUE(IsEqualGUID(device.deviceGUID, IID_IDirect3DTnLHalDevice));
    // One display only.
    EXPECT_EQ(CreateDisplay(window), static_cast<HRESULT>(0x88760000 | 564));
}

TEST_F(DisplayTest, CreateDisplayOnTheHalDeviceTakesVideoMemory) {
    SelectDisplayDevice(nullptr, 640, 480);
    selectedDevice = 3;
    ASSERT_EQ(CreateDisplay(window), S_OK);  // the pre-selected mode stands when none was chosen
    EXPECT_EQ(displayDevices[3].modeChosen, 1);
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    zBuffer->GetSurfaceDesc(&description);
    EXPECT_TRUE(description.ddsCaps.dwCaps & DDSCAPS_VIDEOMEMORY);
}

TEST_F(DisplayTest, CreateDisplayFailures) {
    SelectDisplayDevice(nullptr, 640, 480);
    selectedDevice = 25;  // from a damaged settings file
    EXPECT_EQ(CreateDisplay(window), E_INVALIDARG);
    selectedDevice = 5;
    displayDevices[5].chosenMode = Mode(640, 480, 8);
    displayDevices[5].modeChosen = 1;
    EXPECT_EQ(CreateDisplay(window), static_cast<HRESULT>(0x88760000 | 120));  // DDERR_INVALIDMODE
    EXPECT_EQ(primarySurface, nullptr);
    // The cooperative level needs the window.
    displayDevices[5].chosenMode = displayDevices[5].modes[1];
    EXPECT_EQ(CreateDisplay(nullptr), E_INVALIDARG);
}

TEST_F(DisplayTest, DesktopWindowModeKeepsTheDesktopSize) {
    SelectDisplayDevice(nullptr, 640, 480);
    displayDevices[5].chosenMode = Mode(0, 0, 32);
    displayDevices[5].modeChosen = 1;
    ASSERT_EQ(CreateDisplay(window), S_OK);
    DDSURFACEDESC2 description{};
    description.dwSize = kSurfaceDescSize;
    backBuffer->GetSurfaceDesc(&description);
    EXPECT_EQ(description.dwWidth, 1024u);
    EXPECT_EQ(description.dwHeight, 768u);
    screenWidth = 0;
    screenHeight = 0;
    EXPECT_EQ(InitRenderStates(d3dDevice), 0);
}

TEST_F(DisplayTest, InitRenderStatesSetsTheFixedStatesInOrder) {
    RecordingDevice device;
    d3dDevice = &device;
    EXPECT_EQ(InitRenderStates(&device), 0);
    std::vector<std::string> expected = {
        "SetMaterial 1 1 1 1 | 1 1 1 1 | 0 0 0 0 | 0 0 0 0 | 0",
        "SetRenderState 26 1",
        "SetRenderState 22 2",
        "SetTransform 3 2.41421342 0 0 0 0 3.13847733 0 0 0 0 1.00000095 1 0 0 -1.00000095 0",
        "SetRenderState 7 2",
        "SetRenderState 137 1",
        "SetRenderState 143 1",
        "SetRenderState 27 1",
        "SetRenderState 141 1"};
    EXPECT_EQ(device.calls, expected);
    d3dDevice = nullptr;
    EXPECT_EQ(InitRenderStates(nullptr), 0);  // no device: nothing to set
}

TEST_F(DisplayTest, ProjectionAspectIsTheWholeQuotient) {
    struct Case {
        int width, height;
        float aspect;
    } cases[] = {{640, 480, 1.0f}, {1024, 768, 1.0f}, {1280, 1024, 1.0f}, {1920, 1080, 1.0f},
                 {1280, 480, 2.0f}, {640, 0, 1.0f},  {0, 0, 1.0f},      {480, 640, 1.0f}};
    for (const Case& c : cases) {
        screenWidth = c.width;
        screenHeight = c.height;
        EXPECT_EQ(ProjectionAspect(), c.aspect) << c.width << "x" << c.height;
    }
}

TEST_F(DisplayTest, EveryPresentedFrameTicksTheFrameClock) {
    // The fixture's clock runs at 50 frames per second from 1000 ms.
    EXPECT_EQ(timeGetTime(), 1000u);
    EXPECT_EQ(PresentFrame(), E_FAIL);  // no display yet, the frame still counts
    EXPECT_EQ(timeGetTime(), 1020u);
    SelectDisplayDevice(nullptr, 640, 480);
    ASSERT_EQ(CreateDisplay(window), S_OK);
    EXPECT_EQ(PresentFrame(), DD_OK);
    EXPECT_EQ(PresentFrame(), DD_OK);
    EXPECT_EQ(timeGetTime(), 1060u);
}

}  // namespace
