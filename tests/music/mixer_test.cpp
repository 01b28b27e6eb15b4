// The mixer core and the arithmetic that keeps the mix in step with the
// virtual clock.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/fmod/mixer.h"
#include "platform/backend/frame_clock.h"
#include "platform/win32/windows.h"

using namespace velmora::platform;
using velmora::platform::fmod::Mixer;
using velmora::platform::fmod::ToSample;

namespace {

// A source of a constant value on both sides for a number of frames.
class ConstantSource : public SoundSource {
public:
    ConstantSource(float left, float right, size_t frames, int* restarts = nullptr)
        : left_(left), right_(right), frames_(frames), restarts_(restarts) {}
    size_t Render(float* out, size_t frames) override {
        size_t n = std::min(frames, frames_ - position_);
        for (size_t i = 0; i < n; ++i) {
            out[i * 2] = left_ * static_cast<float>(position_ + i + 1) / static_cast<float>(frames_);
            out[i * 2 + 1] = right_;
        }
        position_ += n;
        return n;
    }
    bool Restart() override {
        position_ = 0;
        if (restarts_) ++*restarts_;
        return true;
    }
    uint64_t Seek(uint64_t frame) override {
        position_ = static_cast<size_t>(std::min<uint64_t>(frame, frames_));
        return position_;
    }

private:
    float left_, right_;
    size_t frames_;
    size_t position_ = 0;
    int* restarts_;
};

std::vector<int16_t> Mix(Mixer& mixer, size_t frames) {
    std::vector<int16_t> out(frames * 2, 12345);
    mixer.Mix(out.data(), frames);
    return out;
}

TEST(MixerTest, SamplesAreRoundedAndClipped) {
    EXPECT_EQ(ToSample(0.0f), 0);
    EXPECT_EQ(ToSample(1.0f), 32767);
    EXPECT_EQ(ToSample(-1.0f), -32767);
    EXPECT_EQ(ToSample(2.5f), 32767);
    EXPECT_EQ(ToSample(-7.0f), -32768);
    EXPECT_EQ(ToSample(0.5f), 16384);  // 16383.5 rounds up
    EXPECT_EQ(ToSample(std::nanf("")), 0);
    EXPECT_EQ(ToSample(INFINITY), 32767);
}

TEST(MixerTest, NothingPlayingIsSilence) {
    Mixer mixer;
    mixer.Add(std::make_unique<ConstantSource>(0.5f, 0.5f, 100), false);
    for (int16_t sample : Mix(mixer, 64)) EXPECT_EQ(sample, 0);
}

TEST(MixerTest, PlayingVoicesAreSummed) {
    Mixer mixer;
    Mixer::VoiceId a = mixer.Add(std::make_unique<ConstantSource>(0.0f, 0.25f, 1000), false);
    Mixer::VoiceId b = mixer.Add(std::make_unique<ConstantSource>(0.0f, 0.5f, 1000), false);
    ASSERT_TRUE(mixer.Play(a));
    ASSERT_TRUE(mixer.Play(b));
    std::vector<int16_t> out = Mix(mixer, 10);
    for (size_t i = 0; i < 10; ++i) {
        EXPECT_EQ(out[i * 2], 0);
        EXPECT_EQ(out[i * 2 + 1], ToSample(0.75f));
    }
    // Summed beyond full scale: clipped, not wrapped.
    Mixer::VoiceId c = mixer.Add(std::make_unique<ConstantSource>(0.0f, 0.5f, 1000), false);
    mixer.Play(c);
    EXPECT_EQ(Mix(mixer, 1)[1], 32767);
}

TEST(MixerTest, StopSilencesAndPlayStartsFromTheBeginning) {
    Mixer mixer;
    int restarts = 0;
    Mixer::VoiceId voice = mixer.Add(std::make_unique<ConstantSource>(1.0f, 0.0f, 100, &restarts), false);
    mixer.Play(voice);
    std::vector<int16_t> first = Mix(mixer, 40);
    mixer.Stop(voice);
    EXPECT_FALSE(mixer.Playing(voice));
    for (int16_t sample : Mix(mixer, 10)) EXPECT_EQ(sample, 0);
    mixer.Play(voice);
    EXPECT_EQ(Mix(mixer, 40), first);  // the same samples again, from the start
    EXPECT_EQ(restarts, 2);
    // Play while playing starts over too.
    mixer.Play(voice);
    EXPECT_EQ(Mix(mixer, 40), first);
}

TEST(MixerTest, AVoiceThatEndsStopsAndALoopingOneGoesOn) {
    Mixer mixer;
    Mixer::VoiceId once = mixer.Add(std::make_unique<ConstantSource>(0.0f, 0.5f, 30), false);
    Mixer::VoiceId looped = mixer.Add(std::make_unique<ConstantSource>(0.5f, 0.0f, 30), true);
    mixer.Play(once);
    mixer.Play(looped);
    std::vector<int16_t> out = Mix(mixer, 100);
    EXPECT_EQ(out[29 * 2 + 1], ToSample(0.5f));
    EXPECT_EQ(out[30 * 2 + 1], 0);
    EXPECT_FALSE(mixer.Playing(once));
    EXPECT_TRUE(mixer.Playing(looped));
    // The looped ramp starts again at frame 30, 60 and 90.
    EXPECT_EQ(out[30 * 2], out[0]);
    EXPECT_EQ(out[95 * 2], out[5 * 2]);
}

TEST(MixerTest, AnEmptyLoopingSourceStopsInsteadOfSpinning) {
    Mixer mixer;
    Mixer::VoiceId voice = mixer.Add(std::make_unique<ConstantSource>(0.5f, 0.5f, 0), true);
    mixer.Play(voice);
    for (int16_t sample : Mix(mixer, 10)) EXPECT_EQ(sample, 0);
    EXPECT_FALSE(mixer.Playing(voice));
}

class ClockSamplesTest : public ::testing::Test {
protected:
    void TearDown() override { UseRealClock(); }
};

TEST_F(ClockSamplesTest, SixtyFramesASecondAre735SamplesEach) {
    UseVirtualClock(FrameRate{60, 1}, 0);
    EXPECT_EQ(VirtualClockSamples(44100), 0u);
    for (uint64_t k = 1; k <= 600; ++k) {
        FramePresented();
        ASSERT_EQ(VirtualClockSamples(44100), k * 735) << k;
    }
}

TEST_F(ClockSamplesTest, AnHourAt5994IsExactAndCumulative) {
    UseVirtualClock(FrameRate{5994, 100}, 0);
    uint64_t previous = 0;
    uint64_t seen735 = 0, seen736 = 0;
    const uint64_t hour = 3600ull * 5994 / 100;  // 215,784 frames
    for (uint64_t k = 1; k <= hour; ++k) {
        FramePresented();
        uint64_t now = VirtualClockSamples(44100);
        // floor(k x 44100 / 59.94) in whole numbers.
        ASSERT_EQ(now, k * 44100 * 100 / 5994) << k;
        uint64_t step = now - previous;
        ASSERT_TRUE(step == 735 || step == 736) << k;
        (step == 735 ? seen735 : seen736)++;
        previous = now;
    }
    EXPECT_GT(seen735, 0u);
    EXPECT_GT(seen736, 0u);
    // An hour of frames at 59.94 is exactly an hour of samples: no drift.
    EXPECT_EQ(hour, 215784u);
    EXPECT_EQ(previous, 3600u * 44100u);
}

TEST_F(ClockSamplesTest, AHoldCountsItsWholeDuration) {
    UseVirtualClock(FrameRate{30, 1}, 500);
    FramePresented();
    EXPECT_EQ(VirtualClockSamples(44100), 1470u);
    Sleep(1000);
    EXPECT_EQ(VirtualClockSamples(44100), 1470u + 44100u);
    Sleep(1);
    EXPECT_EQ(VirtualClockSamples(44100), 1470u + 44100u + 44u);  // 44.1 samples, floored
    Sleep(9);
    EXPECT_EQ(VirtualClockSamples(44100), 1470u + 44100u + 441u);  // and nothing lost
    EXPECT_EQ(VirtualClockSamples(8000), 8346u);  // 1043.33 ms at 8 kHz
    UseRealClock();
    EXPECT_EQ(VirtualClockSamples(44100), 0u);
}

}  // namespace

// A skip moves the playing voices on unrendered: what follows is what a
// mix through would have given at that point.
TEST(MixerTest, ASkipPutsEachPlayingVoiceWhereAMixThroughWouldBe) {
    Mixer through, skipped;
    for (Mixer* mixer : {&through, &skipped}) {
        mixer->Play(mixer->Add(std::make_unique<ConstantSource>(1.0f, 0.0f, 1000), false));
        mixer->Add(std::make_unique<ConstantSource>(0.0f, 0.5f, 1000), false);  // stopped
    }
    Mix(through, 300);
    skipped.Skip(300);
    EXPECT_EQ(Mix(skipped, 50), Mix(through, 50));
    // A stopped voice stays where it was: the second never sounds.
    for (size_t i = 0; i < 50; ++i) EXPECT_EQ(Mix(skipped, 1)[1], 0);
}

TEST(MixerTest, ASkipPastTheEndStopsAVoiceAndWrapsALoopingOne) {
    Mixer mixer;
    Mixer::VoiceId once = mixer.Add(std::make_unique<ConstantSource>(1.0f, 0.0f, 100), false);
    Mixer::VoiceId looped = mixer.Add(std::make_unique<ConstantSource>(0.0f, 0.5f, 100), true);
    mixer.Play(once);
    mixer.Play(looped);
    mixer.Skip(250);
    EXPECT_FALSE(mixer.Playing(once));
    EXPECT_TRUE(mixer.Playing(looped));
    // The looping voice is 50 frames into its third time round; the left
    // side is silent since the other ended.
    Mixer fresh;
    fresh.Play(fresh.Add(std::make_unique<ConstantSource>(0.0f, 0.5f, 100), true));
    Mix(fresh, 50);
    EXPECT_EQ(Mix(mixer, 80), Mix(fresh, 80));
}

TEST(MixerTest, PlayingAgainAfterASkipStartsFromTheBeginning) {
    Mixer mixer, fresh;
    Mixer::VoiceId voice = mixer.Add(std::make_unique<ConstantSource>(1.0f, 0.0f, 1000), false);
    mixer.Play(voice);
    mixer.Skip(400);
    mixer.Play(voice);
    fresh.Play(fresh.Add(std::make_unique<ConstantSource>(1.0f, 0.0f, 1000), false));
    EXPECT_EQ(Mix(mixer, 64), Mix(fresh, 64));
}
