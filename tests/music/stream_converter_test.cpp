// The converter from a stream's own rate to the mix rate: how much it hands
// the resampler at a time, whatever the ratio of the rates, and that what
// comes out is the stream at the mix rate.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "platform/audio/native_stream.h"

using namespace velmora::platform;
using namespace velmora::platform::audio;

namespace {

// A sine of a number of frames at a rate, on the first channel; channel c
// of more holds the constant c / 100.
class SineStream : public NativeStream {
public:
    SineStream(uint32_t rate, size_t frames, double hertz, int channels = 1, size_t* largestDecode = nullptr)
        : rate_(rate), frames_(frames), hertz_(hertz), channels_(channels), largestDecode_(largestDecode) {}
    uint32_t Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    size_t Decode(float* out, size_t frames) override {
        if (largestDecode_) *largestDecode_ = std::max(*largestDecode_, frames);
        size_t n = std::min(frames, frames_ - position_);
        for (size_t i = 0; i < n; ++i, ++position_) {
            float* frame = out + i * static_cast<size_t>(channels_);
            frame[0] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * hertz_ * static_cast<double>(position_) / rate_));
            for (int c = 1; c < channels_; ++c) frame[c] = static_cast<float>(c) / 100.0f;
        }
        return n;
    }
    bool Rewind() override {
        position_ = 0;
        return true;
    }
    uint64_t Seek(uint64_t frame) override {
        position_ = static_cast<size_t>(std::min<uint64_t>(frame, frames_));
        return position_;
    }

private:
    uint32_t rate_;
    size_t frames_;
    double hertz_;
    int channels_;
    size_t* largestDecode_;
    size_t position_ = 0;
};

// SDL's resampler, with the largest input it was handed at once noted.
class MeasuredResampler : public Resampler {
public:
    MeasuredResampler(std::unique_ptr<Resampler> inner, size_t* largestPut)
        : inner_(std::move(inner)), largestPut_(largestPut) {}
    bool Put(const float* samples, size_t frames) override {
        *largestPut_ = std::max(*largestPut_, frames);
        return inner_->Put(samples, frames);
    }
    void Flush() override { inner_->Flush(); }
    size_t Get(float* samples, size_t frames) override { return inner_->Get(samples, frames); }
    void Clear() override { inner_->Clear(); }

private:
    std::unique_ptr<Resampler> inner_;
    size_t* largestPut_;
};

struct Converted {
    size_t largestPut = 0;
    std::vector<float> left;  // the whole stream at the mix rate, left side
};

Converted Convert(uint32_t rate, double seconds, double hertz, size_t request) {
    Converted result;
    std::unique_ptr<Resampler> sdl = CreateResampler(rate);
    EXPECT_NE(sdl, nullptr) << rate;
    if (!sdl) return result;
    auto stream = std::make_unique<SineStream>(rate, static_cast<size_t>(seconds * rate), hertz);
    std::unique_ptr<SoundSource> source = ConvertToMix(
        std::move(stream), std::make_unique<MeasuredResampler>(std::move(sdl), &result.largestPut));
    EXPECT_NE(source, nullptr);
    if (!source) return result;
    std::vector<float> block(request * 2);
    for (size_t got; (got = source->Render(block.data(), request)) > 0;)
        for (size_t i = 0; i < got; ++i) result.left.push_back(block[i * 2]);
    return result;
}

double Hertz(const std::vector<float>& samples, size_t first, size_t count) {
    int crossings = 0;
    size_t firstCrossing = 0, lastCrossing = 0;
    for (size_t i = first + 1; i < first + count && i < samples.size(); ++i)
        if (samples[i - 1] < 0.0f && samples[i] >= 0.0f) {
            if (crossings++ == 0) firstCrossing = i;
            lastCrossing = i;
        }
    return crossings < 2 ? 0.0 : 44100.0 * (crossings - 1) / static_cast<double>(lastCrossing - firstCrossing);
}

TEST(StreamConverterTest, TheResamplerIsHandedNoMoreThanTheRequestNeeds) {
    struct Case {
        uint32_t rate;
        size_t request;
    };
    for (Case c : {Case{1000, 4096}, Case{1000, 64}, Case{8000, 4096}, Case{22050, 1000}}) {
        Converted out = Convert(c.rate, 1.0, 40.0, c.request);
        // What one Put makes at the mix rate stays within the request and
        // the one native frame that a rounding up may add.
        const double made = static_cast<double>(out.largestPut) * 44100.0 / c.rate;
        EXPECT_LE(made, static_cast<double>(c.request) + 44100.0 / c.rate) << c.rate << " " << c.request;
        EXPECT_NEAR(static_cast<double>(out.left.size()), 44100.0, 100.0) << c.rate << " " << c.request;
        EXPECT_NEAR(Hertz(out.left, 4410, 35280), 40.0, 1.0) << c.rate << " " << c.request;
    }
}

TEST(StreamConverterTest, AFastStreamIsDecodedABlockAtATime) {
    Converted out = Convert(384000, 0.5, 1000.0, 4096);
    EXPECT_LE(out.largestPut, 2048u);
    EXPECT_GT(out.largestPut, 0u);
    EXPECT_NEAR(static_cast<double>(out.left.size()), 22050.0, 100.0);
    EXPECT_NEAR(Hertz(out.left, 2205, 17640), 1000.0, 10.0);
}

// Many channels are decoded a few frames at a time, so that a stream holds
// no more than 4,096 samples however many channels it has; the first two
// are played.
TEST(StreamConverterTest, AStreamOfManyChannelsIsDecodedInShortBlocks) {
    for (uint32_t rate : {44100u, 22050u}) {
        size_t largestDecode = 0;
        std::unique_ptr<SoundSource> source =
            ConvertToMix(std::make_unique<SineStream>(rate, rate, 441.0, 64, &largestDecode));
        ASSERT_NE(source, nullptr) << rate;
        std::vector<float> out(4096 * 2);
        size_t total = 0, got = 0;
        float left = 0.0f, right = 0.0f;
        while ((got = source->Render(out.data(), 4096)) > 0) {
            for (size_t i = 0; i < got; ++i) {
                left = std::max(left, out[i * 2]);
                right = std::max(right, out[i * 2 + 1]);
            }
            total += got;
        }
        EXPECT_EQ(largestDecode, 64u) << rate;
        EXPECT_NEAR(static_cast<double>(total), 44100.0, 100.0) << rate;
        EXPECT_NEAR(left, 0.5f, 0.02f) << rate;
        EXPECT_NEAR(right, 0.01f, 0.002f) << rate;  // channel 2, not a sum of the others
    }
    EXPECT_EQ(ConvertToMix(std::make_unique<SineStream>(44100, 100, 441.0, 65)), nullptr);
}

TEST(StreamConverterTest, RatesOutsideThePlayableRangeGiveNoSource) {
    for (uint32_t rate : {0u, 1u, 999u, 384001u, 4000000000u}) {
        EXPECT_EQ(ConvertToMix(std::make_unique<SineStream>(rate, 100, 1.0)), nullptr) << rate;
        EXPECT_EQ(CreateResampler(rate), nullptr) << rate;
    }
    for (uint32_t rate : {1000u, 44100u, 384000u})
        EXPECT_NE(ConvertToMix(std::make_unique<SineStream>(rate, 100, 1.0)), nullptr) << rate;
}

}  // namespace
