// Native-rate streams to the mix's rate and channels.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/audio/native_stream.h"

namespace velmora::platform::audio {

namespace {

// Native samples decoded at a time, at most: 2048 stereo frames, fewer
// frames of more channels (a 64-channel WAV is read 64 frames at a time), so
// that no stream holds more than 16 KB of them.
constexpr size_t kBlockSamples = 4096;

class ConvertedStream : public SoundSource {
public:
    ConvertedStream(std::unique_ptr<NativeStream> stream, std::unique_ptr<Resampler> resampler)
        : stream_(std::move(stream)), resampler_(std::move(resampler)),
          blockFrames_(kBlockSamples / static_cast<size_t>(std::max(stream_->Channels(), 2))),
          decoded_(blockFrames_ * static_cast<size_t>(stream_->Channels())), stereo_(blockFrames_ * 2) {}

    size_t Render(float* out, size_t frames) override {
        size_t done = 0;
        while (done < frames) {
            if (resampler_) {
                done += resampler_->Get(out + done * 2, frames - done);
                if (done == frames || ended_) break;
                // Short of output: more input, or the end of it. No more is
                // decoded than the output still wanted needs, so that what
                // the resampler makes of one block stays near the request
                // whatever the ratio of the rates.
                size_t got = Decode(NativeFramesFor(frames - done));
                if (got == 0) {
                    resampler_->Flush();
                    ended_ = true;
                } else if (!resampler_->Put(stereo_.data(), got)) {
                    ended_ = true;
                }
                continue;
            }
            // The stream is at the mix rate already: copied straight through.
            if (pendingFrames_ == 0) {
                pendingStart_ = 0;
                pendingFrames_ = Decode(blockFrames_);
                if (pendingFrames_ == 0) break;
            }
            size_t take = std::min(frames - done, pendingFrames_);
            std::memcpy(out + done * 2, stereo_.data() + pendingStart_ * 2, take * 2 * sizeof(float));
            pendingStart_ += take;
            pendingFrames_ -= take;
            done += take;
        }
        return done;
    }

    bool Restart() override {
        if (!stream_->Rewind()) return false;
        if (resampler_) resampler_->Clear();
        pendingStart_ = pendingFrames_ = 0;
        ended_ = false;
        return true;
    }

    uint64_t Seek(uint64_t frame) override {
        // The resampler starts empty at the native frame of that time: the
        // same samples as a play through, give or take its filter's start.
        const uint64_t rate = stream_->Rate();
        const uint64_t native = frame * rate / kMixRate;
        const uint64_t reached = stream_->Seek(native);
        if (resampler_) resampler_->Clear();
        pendingStart_ = pendingFrames_ = 0;
        ended_ = false;
        return reached == native ? frame : reached * kMixRate / rate;
    }

private:
    // The native frames that make about mixFrames frames of the mix: at
    // least one, at most a block.
    size_t NativeFramesFor(size_t mixFrames) const {
        const uint64_t rate = stream_->Rate();
        const uint64_t needed = (static_cast<uint64_t>(mixFrames) * rate + kMixRate - 1) / kMixRate;
        return static_cast<size_t>(std::clamp<uint64_t>(needed, 1, blockFrames_));
    }

    // The next frames (at most blockFrames_) of the stream as stereo in
    // stereo_; how many there were.
    size_t Decode(size_t frames) {
        const int channels = stream_->Channels();
        size_t got = std::min(stream_->Decode(decoded_.data(), frames), frames);
        for (size_t i = 0; i < got; ++i) {
            const float* frame = decoded_.data() + i * static_cast<size_t>(channels);
            stereo_[i * 2] = frame[0];
            stereo_[i * 2 + 1] = channels > 1 ? frame[1] : frame[0];
        }
        return got;
    }

    std::unique_ptr<NativeStream> stream_;
    std::unique_ptr<Resampler> resampler_;
    const size_t blockFrames_;
    std::vector<float> decoded_;
    std::vector<float> stereo_;
    size_t pendingStart_ = 0;
    size_t pendingFrames_ = 0;
    bool ended_ = false;
};

bool Convertible(const NativeStream* stream) {
    return stream && PlayableStreamRate(stream->Rate()) && stream->Channels() >= 1 &&
           stream->Channels() <= kLargestStreamChannels;
}

}  // namespace

std::unique_ptr<SoundSource> ConvertToMix(std::unique_ptr<NativeStream> stream) {
    if (!Convertible(stream.get())) return nullptr;
    std::unique_ptr<Resampler> resampler;
    if (stream->Rate() != kMixRate) {
        resampler = CreateResampler(stream->Rate());
        if (!resampler) return nullptr;
    }
    return std::make_unique<ConvertedStream>(std::move(stream), std::move(resampler));
}

std::unique_ptr<SoundSource> ConvertToMix(std::unique_ptr<NativeStream> stream,
                                          std::unique_ptr<Resampler> resampler) {
    if (!Convertible(stream.get()) || (!resampler && stream->Rate() != kMixRate)) return nullptr;
    return std::make_unique<ConvertedStream>(std::move(stream), std::move(resampler));
}

}  // namespace velmora::platform::audio
