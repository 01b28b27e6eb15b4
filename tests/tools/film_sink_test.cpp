// The capture's film sink between the player and the store of frames: every
// frame stored is counted, the progress off a terminal says it at each tenth,
// and a show longer than the capture takes ends at its first frame (by its
// timeline) or after as many frames as the longest show has (a show that
// loops on).
#include "film_sink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "progress_bar.h"
#include "show/timeline.h"
#include "state/engine_state.h"

using namespace velmora::tools;

namespace {

// Stores frames in memory, or refuses from a chosen frame on.
class MemoryStore : public velmora::platform::FrameWriter {
public:
    bool WriteFrame(const uint32_t* pixels, int, int) override {
        if (stored.size() >= refuseFrom) return false;
        stored.push_back(pixels[0]);
        return true;
    }
    bool RepeatFrame(const uint32_t* pixels, int width, int height) override {
        ++repeats;
        return WriteFrame(pixels, width, height);
    }
    std::vector<uint32_t> stored;
    size_t refuseFrom = SIZE_MAX;
    int repeats = 0;
};

class FilmSinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        exitRequested = 0;
        ClearActionList(&actionList);
        out = std::tmpfile();
        ASSERT_NE(out, nullptr);
    }
    void TearDown() override {
        ClearActionList(&actionList);
        exitRequested = 0;
        std::fclose(out);
    }
    std::string Printed() {
        std::fflush(out);
        std::rewind(out);
        std::string text;
        for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
        return text;
    }
    std::FILE* out = nullptr;
    const velmora::platform::FrameRate rate{10, 1};
};

TEST_F(FilmSinkTest, EveryStoredFrameIsCountedAndToldAtEachTenth) {
    // 9 s of timeline and the second's pause: 100 frames at 10 a second.
    AddAction(&actionList, 9000, kActionStopMusic, 0.0f);
    ProgressBar progress(rate, out);
    auto store = std::make_shared<MemoryStore>();
    FilmSink film(store, progress, rate, 3600000);
    uint32_t pixel = 0;
    for (int i = 0; i < 60; ++i) {
        pixel = static_cast<uint32_t>(i);
        ASSERT_TRUE(i % 3 == 2 ? film.RepeatFrame(&pixel, 1, 1) : film.WriteFrame(&pixel, 1, 1)) << i;
        EXPECT_EQ(film.frames(), static_cast<uint64_t>(i + 1));
    }
    EXPECT_EQ(store->stored.size(), 60u);
    EXPECT_EQ(store->repeats, 20);
    EXPECT_FALSE(film.failed());
    EXPECT_EQ(exitRequested, 0);
    const std::string printed = Printed();
    EXPECT_EQ(printed.find("velmora-capture: 10%, frame 10 of ~100, 1.0 s of show in "), 0u) << printed;
    EXPECT_NE(printed.find("velmora-capture: 60%, frame 60 of ~100, 6.0 s of show in "), std::string::npos);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 6) << printed;

    // A frame the store refuses is not counted, and ends the show.
    store->refuseFrom = 60;
    EXPECT_FALSE(film.WriteFrame(&pixel, 1, 1));
    EXPECT_EQ(film.frames(), 60u);
    EXPECT_TRUE(film.failed());
    EXPECT_EQ(exitRequested, 1);
}

TEST_F(FilmSinkTest, AShowLongerThanTheCaptureTakesEndsAtItsFirstFrame) {
    // Twelve days' wait before the last action, an hour allowed.
    AddAction(&actionList, 0, kActionPlayMusic, 0.0f);
    AddAction(&actionList, kLatestActionTime, kActionStopMusic, 0.0f);
    ProgressBar progress(rate, out);
    auto store = std::make_shared<MemoryStore>();
    FilmSink film(store, progress, rate, 3600000);
    uint32_t pixel = 0;
    EXPECT_FALSE(film.WriteFrame(&pixel, 1, 1));
    EXPECT_EQ(film.timelineTooLong(), kLatestActionTime);
    EXPECT_FALSE(film.ranTooLong());
    EXPECT_FALSE(film.failed());
    EXPECT_EQ(exitRequested, 1);
    EXPECT_TRUE(store->stored.empty());
    EXPECT_EQ(film.frames(), 0u);

    // Exactly the longest show is taken.
    exitRequested = 0;
    ClearActionList(&actionList);
    AddAction(&actionList, 3600000, kActionStopMusic, 0.0f);
    FilmSink longest(store, progress, rate, 3600000);
    EXPECT_TRUE(longest.WriteFrame(&pixel, 1, 1));
    EXPECT_EQ(longest.timelineTooLong(), 0);
}

TEST_F(FilmSinkTest, AShowThatRunsOnPastTheLongestShowIsEnded) {
    // A timeline of 1 s that a loop keeps going: 1 s plus the pause is 20
    // frames at 10 a second, one more for the rounding; the next is refused.
    AddAction(&actionList, 1000, kActionPlaySceneLooped, 0.0f);
    ProgressBar progress(rate, out);
    auto store = std::make_shared<MemoryStore>();
    FilmSink film(store, progress, rate, 1000);
    uint32_t pixel = 0;
    for (int i = 0; i < 21; ++i) ASSERT_TRUE(film.WriteFrame(&pixel, 1, 1)) << i;
    EXPECT_FALSE(film.ranTooLong());
    EXPECT_FALSE(film.WriteFrame(&pixel, 1, 1));
    EXPECT_TRUE(film.ranTooLong());
    EXPECT_FALSE(film.failed());
    EXPECT_EQ(exitRequested, 1);
    EXPECT_EQ(film.frames(), 21u);
}

}  // namespace
