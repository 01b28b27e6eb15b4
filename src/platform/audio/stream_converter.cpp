// Native-rate streams to the mix's rate and channels, resampled by libsoxr.
#include <soxr.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/audio/native_stream.h"

namespace velmora::platform::audio {

namespace {

constexpr size_t kBlock = 2048;  // native frames decoded at a time

class ConvertedStream : public SoundSource {
public:
    ConvertedStream(std::unique_ptr<NativeStream> stream, soxr_t resampler)
        : stream_(std::move(stream)), resampler_(resampler),
          decoded_(kBlock * static_cast<size_t>(stream_->Channels())), stereo_(kBlock * 2) {}
    ~ConvertedStream() override {
        if (resampler_) soxr_delete(resampler_);
    }

    size_t Render(float* out, size_t frames) override {
        size_t done = 0;
        while (done < frames && !ended_) {
            if (pendingFrames_ == 0 && !inputEnded_) Refill();
            if (!resampler_) {
                // The stream is at the mix rate already: copy straight through.
                size_t take = std::min(frames - done, pendingFrames_);
                std::memcpy(out + done * 2, stereo_.data() + pendingStart_ * 2,
                            take * 2 * sizeof(float));
                pendingStart_ += take;
                pendingFrames_ -= take;
                done += take;
                if (pendingFrames_ == 0 && inputEnded_) ended_ = true;
                continue;
            }
            size_t used = 0, made = 0;
            // A null input tells the resampler the input has ended: it then
            // hands out what it still holds.
            const float* input = inputEnded_ ? nullptr : stereo_.data() + pendingStart_ * 2;
            soxr_error_t error = soxr_process(resampler_, input, inputEnded_ ? 0 : pendingFrames_,
                                              &used, out + done * 2, frames - done, &made);
            if (error) {
                ended_ = true;
                break;
            }
            pendingStart_ += used;
            pendingFrames_ -= used;
            done += made;
            if (inputEnded_ && made == 0) ended_ = true;
        }
        return done;
    }

    bool Restart() override {
        if (!stream_->Rewind()) return false;
        if (resampler_ && soxr_clear(resampler_)) return false;
        pendingStart_ = pendingFrames_ = 0;
        inputEnded_ = ended_ = false;
        return true;
    }

private:
    // Decodes the next block into stereo_.
    void Refill() {
        const int channels = stream_->Channels();
        size_t got = stream_->Decode(decoded_.data(), kBlock);
        if (got == 0) {
            inputEnded_ = true;
            return;
        }
        for (size_t i = 0; i < got; ++i) {
            const float* frame = decoded_.data() + i * static_cast<size_t>(channels);
            stereo_[i * 2] = frame[0];
            stereo_[i * 2 + 1] = channels > 1 ? frame[1] : frame[0];
        }
        pendingStart_ = 0;
        pendingFrames_ = got;
    }

    std::unique_ptr<NativeStream> stream_;
    soxr_t resampler_;
    std::vector<float> decoded_;
    std::vector<float> stereo_;
    size_t pendingStart_ = 0;
    size_t pendingFrames_ = 0;
    bool inputEnded_ = false;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<SoundSource> ConvertToMix(std::unique_ptr<NativeStream> stream) {
    if (!stream || stream->Rate() == 0 || stream->Rate() > kLargestStreamRate ||
        stream->Channels() < 1)
        return nullptr;
    soxr_t resampler = nullptr;
    if (stream->Rate() != kMixRate) {
        soxr_error_t error = nullptr;
        soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        // One thread: the same input always gives the same samples.
        soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        resampler = soxr_create(stream->Rate(), kMixRate, 2, &error, &io, &quality, &runtime);
        if (error || !resampler) return nullptr;
    }
    return std::make_unique<ConvertedStream>(std::move(stream), resampler);
}

}  // namespace velmora::platform::audio
