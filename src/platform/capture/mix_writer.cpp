// The captured mix: DIR/audio.wav, 16-bit stereo at the mix rate, written
// with libsndfile. The header is brought up to date with every write, so
// the file is complete whenever the program stops.
#include <sndfile.h>

#include <cstdio>

#include "platform/backend/sound.h"

namespace velmora::platform {

namespace {

class SndfileMixWriter : public MixWriter {
public:
    explicit SndfileMixWriter(SNDFILE* file) : file_(file) {}
    ~SndfileMixWriter() override { Finish(); }

    void Write(const int16_t* samples, size_t frames) override {
        if (!file_ || frames == 0) return;
        // A WAV file holds at most 4 GiB of samples: the rest is left out.
        if (written_ + frames > kLargestFrames) {
            if (!complained_)
                std::fprintf(stderr, "velmora: the captured sound is cut at the size a WAV file can hold\n");
            complained_ = true;
            frames = written_ < kLargestFrames ? static_cast<size_t>(kLargestFrames - written_) : 0;
            if (frames == 0) return;
        }
        sf_writef_short(file_, samples, static_cast<sf_count_t>(frames));
        written_ += frames;
    }

    void Finish() override {
        if (file_) sf_close(file_);
        file_ = nullptr;
    }

private:
    static constexpr uint64_t kLargestFrames = (0xFFFFFFFFull - 1024) / 4;
    SNDFILE* file_;
    uint64_t written_ = 0;
    bool complained_ = false;
};

}  // namespace

std::unique_ptr<MixWriter> OpenMixWriter(const std::string& path, std::string& why) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(kMixRate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        why = sf_strerror(nullptr);
        return nullptr;
    }
    sf_command(file, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
    return std::make_unique<SndfileMixWriter>(file);
}

}  // namespace velmora::platform
