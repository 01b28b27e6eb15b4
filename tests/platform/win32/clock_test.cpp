#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/backend/frame_clock.h"
#include "platform/win32/windows.h"

using namespace velmora::platform;

namespace {

class ClockTest : public ::testing::Test {
protected:
    void TearDown() override {
        UseRealClock();
    }
    void Present(uint64_t frames) {
        for (uint64_t i = 0; i < frames; ++i) FramePresented();
    }
};

TEST_F(ClockTest, FrameRateParsing) {
    FrameRate rate;
    ASSERT_TRUE(ParseFrameRate("30", rate));
    EXPECT_EQ(rate.numerator, 30u);
    EXPECT_EQ(rate.denominator, 1u);
    ASSERT_TRUE(ParseFrameRate("59.94", rate));
    EXPECT_EQ(rate.numerator, 5994u);
    EXPECT_EQ(rate.denominator, 100u);
    ASSERT_TRUE(ParseFrameRate("0.5", rate));
    ASSERT_TRUE(ParseFrameRate("24.", rate));
    ASSERT_TRUE(ParseFrameRate(".5", rate));
    for (const char* bad : {"", "0", "0.0", "-30", "+30", "abc", "30fps", "3e1", " 30", "1.2.3",
                            ".", "99999999", "1.1234567"}) {
        EXPECT_FALSE(ParseFrameRate(bad, rate)) << '"' << bad << '"';
    }
    EXPECT_FALSE(ParseFrameRate(nullptr, rate));
}

TEST_F(ClockTest, VirtualClockMovesOnlyWithFramesAndSleep) {
    UseVirtualClock(FrameRate{30, 1}, 5000);
    EXPECT_EQ(timeGetTime(), 5000u);
    EXPECT_EQ(timeGetTime(), 5000u);
    Present(1);
    EXPECT_EQ(timeGetTime(), 5033u);
    Present(2);
    EXPECT_EQ(timeGetTime(), 5100u);
    auto before = std::chrono::steady_clock::now();
    Sleep(60000);
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(5));
    EXPECT_EQ(timeGetTime(), 65100u);
    Present(1);  // frame 4 lands 133 ms after the start, on top of the sleep
    EXPECT_EQ(timeGetTime(), 65133u);
}

TEST_F(ClockTest, NtscRateDoesNotDriftOverLongRuns) {
    UseVirtualClock(FrameRate{5994, 100}, 0);
    Present(1);
    EXPECT_EQ(timeGetTime(), 16u);
    Present(1);
    EXPECT_EQ(timeGetTime(), 33u);
    Present(1);
    EXPECT_EQ(timeGetTime(), 50u);
    Present(5994 - 3);  // 5994 frames are exactly 100 s
    EXPECT_EQ(timeGetTime(), 100000u);
    Present(5994 * 35);  // and 36 times that an hour, to the millisecond
    EXPECT_EQ(timeGetTime(), 3600000u);
    Present(1);
    EXPECT_EQ(timeGetTime(), 3600016u);
}

TEST_F(ClockTest, VirtualClockWrapsLikeA32BitCounter) {
    UseVirtualClock(FrameRate{10, 1}, 0xFFFFFFF0u);
    Present(1);
    EXPECT_EQ(timeGetTime(), 84u);  // 0xFFFFFFF0 + 100 wraps to 84
    EXPECT_EQ(static_cast<int32_t>(timeGetTime() - 0xFFFFFFF0u), 100);
}

TEST_F(ClockTest, TheFilmPositionCountsHeldTimeInWholeFrames) {
    auto at = [](uint64_t frame, bool partway) {
        FilmPosition now = VirtualClockFilmPosition();
        return now.frame == frame && now.partway == partway;
    };
    UseVirtualClock(FrameRate{25, 1}, 1000);
    EXPECT_TRUE(at(0, false));
    Present(3);
    EXPECT_TRUE(at(3, false));
    // 600 ms at 25 frames a second are exactly 15 frames.
    Sleep(600);
    EXPECT_TRUE(at(18, false));
    // Another 10 ms reach a quarter into the next film frame.
    Sleep(10);
    EXPECT_TRUE(at(18, true));
    Present(1);
    EXPECT_TRUE(at(19, true));
    // Held time counts as a whole, not sleep by sleep: 620 ms are 15.5 frames.
    Sleep(10);
    EXPECT_TRUE(at(19, true));
    Sleep(20);  // 640 ms: 16 frames
    EXPECT_TRUE(at(20, false));

    UseVirtualClock(FrameRate{5994, 100}, 0);
    Sleep(1000);  // 59.94 frames
    EXPECT_TRUE(at(59, true));
    Sleep(3599000);  // one hour is 215,784 frames exactly
    EXPECT_TRUE(at(215784, false));

    UseRealClock();
    Present(5);
    EXPECT_TRUE(at(0, false));
}

TEST_F(ClockTest, RealClockIgnoresFramesAndSleepWaits) {
    UseRealClock();
    DWORD start = timeGetTime();
    Present(1000);
    Sleep(20);
    DWORD elapsed = timeGetTime() - start;
    EXPECT_GE(elapsed, 20u);
    EXPECT_FALSE(VirtualClockInUse());
}

}  // namespace
