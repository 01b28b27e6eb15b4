// The statistics: the memory counters after textures of known sizes are
// decoded, the closing log lines in their order, and the nine on-screen lines
// drawn through the render target's device context.
#include <gtest/gtest.h>

#include <FreeImage.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "diag/log.h"
#include "diag/memory_counters.h"
#include "platform/backend/text_rasterizer.h"
#include "platform/ddraw/display_objects.h"
#include "render/display.h"
#include "render/overlay_text.h"
#include "show/statistics.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

namespace fs = std::filesystem;

namespace {

// Keeps every text the GDI stand-in asks to have drawn, and draws nothing.
class RecordingText : public velmora::platform::TextRasterizer {
public:
    explicit RecordingText(std::vector<std::string>* texts) : texts_(texts) {}
    bool Rasterize(const std::string& text, velmora::platform::TextCoverage&) override {
        texts_->push_back(text);
        return false;
    }

private:
    std::vector<std::string>* texts_;
};

class StatisticsTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        previous = fs::current_path();
        directory = velmora::testing::MakeTempDirectory();
        fs::current_path(directory);
        std::snprintf(exeDirectory, sizeof exeDirectory, "%s/", directory.c_str());
        velmora::platform::InstallTextRasterizer(std::make_unique<RecordingText>(&drawn));
    }
    void TearDown() override {
        while (textureList) delete textureList;
        velmora::platform::InstallTextRasterizer(nullptr);
        velmora::platform::ReleaseDisplayObjects();
        showStatistics = 0;
        logEnabled = 0;
        exeDirectory[0] = '\0';
        fs::current_path(previous);
        fs::remove_all(directory);
        EngineTest::TearDown();
    }
    void WritePng(const std::string& name, int width, int height) {
        FIBITMAP* bitmap = FreeImage_Allocate(width, height, 24);
        ASSERT_NE(bitmap, nullptr);
        ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap, name.c_str(), 0));
        FreeImage_Unload(bitmap);
    }
    std::vector<std::string> drawn;
    fs::path previous;
    std::string directory;
};

TEST_F(StatisticsTest, TexturesOfKnownSizesGiveTheirBytesAndCountInTheLogAndOnScreen) {
    WritePng("big.png", 256, 256);
    WritePng("small.png", 128, 128);
    ASSERT_EQ(CreateTexture("big.png", 0, 0), 0);
    ASSERT_EQ(CreateTexture("small.png", 0, 0), 0);
    EXPECT_EQ(textureMemoryCounter, 327680);
    EXPECT_EQ(textureAllocationCounter, 2);

    SelectDisplayDevice(nullptr, 640, 480);  // the T&L HAL, its 640x480x32 mode
    animationMemoryCounter = 1000;
    generalMemoryCounter = 20;
    const int32_t file = fileMemoryCounter;
    const std::string total = std::to_string(327680 + 1000 + 20 + file);
    logEnabled = 1;
    LogMemoryStatistics();
    LogDeviceStatistics();
    EXPECT_EQ(velmora::testing::ReadLogLines(directory + "/Log.TXT"),
              (std::vector<std::string>{
                  "Minimum of texture memory malloced: 327680", "Minimum of animatie memory malloced: 1000",
                  "Minimum of general memory malloced: 20",
                  "Minimum of file memory malloced: " + std::to_string(file),
                  "Minimum of total memory malloced: " + total, "Texture malloced counted: 2", "",
                  "Driver:\t\t\tDirect3D T&L HAL", "Width x Height x BPP:\t640x480x32", ""}));

    CreateRenderWindow();
    ASSERT_EQ(CreateDisplay(window), S_OK);
    showStatistics = 1;
    // No millisecond has passed since the start: the rate prints as 0, not inf.
    DrawStatistics(100, timeGetTime());
    EXPECT_EQ(drawn, (std::vector<std::string>{
                         "Driver: Direct3D T&L HAL", "Width x Height x BPP: 640x480x32", "FPS: 0.000000",
                         "Minimum of texture memory malloced: 327680",
                         "Minimum of animatie memory malloced: 1000", "Minimum of general memory malloced: 20",
                         "Minimum of file memory malloced: " + std::to_string(file),
                         "Minimum of total memory malloced: " + total, "Texture malloced counted: 2"}));
}

TEST_F(StatisticsTest, OffDrawsNothingAndTheEmptyTextTakesAndGivesBackTheContext) {
    SelectDisplayDevice(nullptr, 640, 480);
    CreateRenderWindow();
    ASSERT_EQ(CreateDisplay(window), S_OK);
    DrawStatistics(10, 0);
    EXPECT_TRUE(drawn.empty());
    EXPECT_EQ(DrawOverlayText("", 0, 0, 255, 255, 0), S_OK);
    EXPECT_TRUE(drawn.empty());
    // The context went back: a second one can be taken.
    IDirectDrawSurface7* target = nullptr;
    ASSERT_EQ(d3dDevice->GetRenderTarget(&target), S_OK);
    HDC dc = nullptr;
    EXPECT_EQ(target->GetDC(&dc), DD_OK);
    EXPECT_EQ(target->ReleaseDC(dc), DD_OK);
    target->Release();
}

TEST_F(StatisticsTest, WithoutADisplayAndWithASelectionOutsideTheTableNothingIsRead) {
    EXPECT_NE(DrawOverlayText("text", 0, 0, 255, 255, 0), S_OK);
    SelectDisplayDevice(nullptr, 640, 480);
    logEnabled = 1;
    selectedDevice = 250;
    LogDeviceStatistics();
    selectedDevice = 3;
    selectedMode = -4;
    LogDeviceStatistics();
    EXPECT_EQ(velmora::testing::ReadLogLines(directory + "/Log.TXT"),
              (std::vector<std::string>{"Driver:\t\t\t", "Width x Height x BPP:\t0x0x0", "",
                                        "Driver:\t\t\tDirect3D HAL", "Width x Height x BPP:\t0x0x0", ""}));
}

// The selected device and mode are read from the table only inside it: the
// last slot and the last of its 100 modes are read, one past either is not.
TEST_F(StatisticsTest, TheSelectionIsReadUpToTheLastSlotAndModeAndNoFurther) {
    SelectDisplayDevice(nullptr, 640, 480);
    DisplayDevice& last = displayDevices[kDisplayDeviceSlots - 1];
    std::snprintf(last.name, sizeof last.name, "Last Slot");
    last.modes[kModesPerDevice - 1].dwWidth = 320;
    last.modes[kModesPerDevice - 1].dwHeight = 200;
    last.modes[kModesPerDevice - 1].ddpfPixelFormat.dwRGBBitCount = 16;
    // Right after the mode table lies the copy of the last mode.
    last.lastMode.dwWidth = 1234;
    last.lastMode.dwHeight = 567;
    last.lastMode.ddpfPixelFormat.dwRGBBitCount = 24;
    logEnabled = 1;
    selectedDevice = 19;
    selectedMode = 99;
    LogDeviceStatistics();
    selectedMode = 100;
    LogDeviceStatistics();
    selectedDevice = 20;
    selectedMode = 0;
    LogDeviceStatistics();
    selectedDevice = -1;
    LogDeviceStatistics();
    EXPECT_EQ(velmora::testing::ReadLogLines(directory + "/Log.TXT"),
              (std::vector<std::string>{"Driver:\t\t\tLast Slot", "Width x Height x BPP:\t320x200x16", "",
                                        "Driver:\t\t\tLast Slot", "Width x Height x BPP:\t0x0x0", "",
                                        "Driver:\t\t\t", "Width x Height x BPP:\t0x0x0", "",
                                        "Driver:\t\t\t", "Width x Height x BPP:\t0x0x0", ""}));

    // The on-screen lines read the same way.
    selectedDevice = 5;
    CreateRenderWindow();
    ASSERT_EQ(CreateDisplay(window), S_OK);
    showStatistics = 1;
    selectedDevice = 19;
    selectedMode = 100;
    DrawStatistics(0, timeGetTime());
    ASSERT_GE(drawn.size(), 2u);
    EXPECT_EQ(drawn[0], "Driver: Last Slot");
    EXPECT_EQ(drawn[1], "Width x Height x BPP: 0x0x0");
}

TEST_F(StatisticsTest, TheTotalLineSumsTheFourByteCountersAndNotTheTextureCount) {
    textureMemoryCounter = 1;
    animationMemoryCounter = 20;
    generalMemoryCounter = 300;
    fileMemoryCounter = 4000;
    textureAllocationCounter = 50000;
    logEnabled = 1;
    LogMemoryStatistics();
    EXPECT_EQ(velmora::testing::ReadLogLines(directory + "/Log.TXT"),
              (std::vector<std::string>{
                  "Minimum of texture memory malloced: 1", "Minimum of animatie memory malloced: 20",
                  "Minimum of general memory malloced: 300", "Minimum of file memory malloced: 4000",
                  "Minimum of total memory malloced: 4321", "Texture malloced counted: 50000", ""}));
}

// The file counter is the one that shrinks (MemClose); the total follows it.
TEST_F(StatisticsTest, CountingAddsAndTakesBackAndHoldsAtBothEnds) {
    int32_t counter = 100;
    CountMemory(&counter, 50);
    EXPECT_EQ(counter, 150);
    CountMemory(&counter, -150);
    EXPECT_EQ(counter, 0);
    CountMemory(&counter, INT64_C(5000000000));
    EXPECT_EQ(counter, INT32_MAX);
    counter = INT32_MIN + 3;
    CountMemory(&counter, -10);
    EXPECT_EQ(counter, INT32_MIN);
}

TEST_F(StatisticsTest, TheTotalHoldsAtTheTopInsteadOfWrapping) {
    textureMemoryCounter = INT32_MAX - 5;
    animationMemoryCounter = 100;
    logEnabled = 1;
    LogMemoryStatistics();
    std::vector<std::string> lines = velmora::testing::ReadLogLines(directory + "/Log.TXT");
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[4], "Minimum of total memory malloced: 2147483647");
}

}  // namespace
