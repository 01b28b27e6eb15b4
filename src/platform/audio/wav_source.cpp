// WAV streams through libsndfile's virtual I/O, reading through the stream
// file (the sound library's file callbacks), shown only the chunks playing
// needs (wav_chunks.h).
#include <sndfile.h>

#include <cstdio>
#include <vector>

#include "platform/audio/native_stream.h"
#include "platform/audio/wav_chunks.h"

namespace velmora::platform {

namespace {

using audio::NativeStream;

sf_count_t Length(void* user) { return static_cast<StreamFile*>(user)->Length(); }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    return static_cast<StreamFile*>(user)->SeekFrom(offset, whence);
}

sf_count_t Read(void* buffer, sf_count_t count, void* user) {
    if (count <= 0) return 0;
    return static_cast<sf_count_t>(
        static_cast<StreamFile*>(user)->Read(buffer, static_cast<size_t>(count)));
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }

sf_count_t Tell(void* user) { return static_cast<StreamFile*>(user)->Tell(); }

SF_VIRTUAL_IO kStreamIo = {Length, Seek, Read, Write, Tell};

class WavStream : public NativeStream {
public:
    WavStream(SNDFILE* sound, const SF_INFO& info, std::unique_ptr<StreamFile> file)
        : sound_(sound), info_(info), file_(std::move(file)) {}
    ~WavStream() override { sf_close(sound_); }

    uint32_t Rate() const override { return static_cast<uint32_t>(info_.samplerate); }
    int Channels() const override { return info_.channels; }

    size_t Decode(float* out, size_t frames) override {
        sf_count_t got = sf_readf_float(sound_, out, static_cast<sf_count_t>(frames));
        return got > 0 ? static_cast<size_t>(got) : 0;
    }

    bool Rewind() override { return sf_seek(sound_, 0, SEEK_SET) == 0; }

    uint64_t Seek(uint64_t frame) override {
        const uint64_t length = info_.frames > 0 ? static_cast<uint64_t>(info_.frames) : 0;
        const auto to = static_cast<sf_count_t>(frame < length ? frame : length);
        return sf_seek(sound_, to, SEEK_SET) == to ? static_cast<uint64_t>(to) : 0;
    }

private:
    SNDFILE* sound_;
    SF_INFO info_;
    std::unique_ptr<StreamFile> file_;
};

}  // namespace

std::unique_ptr<SoundSource> OpenWavSource(std::unique_ptr<StreamFile> file, SourceError& error) {
    if (!file) {
        error.why = "no file";
        return nullptr;
    }
    // Only a RIFF WAVE file reaches libsndfile (its readers of other
    // containers, MPEG through libmpg123, FLAC, Ogg, AIFF, are no business
    // of a WAV stream), and only its format, fact and data chunks.
    audio::WavLayout layout;
    if (!audio::ReadWavLayout(*file, layout)) {
        error.why = "not a WAV stream";
        return nullptr;
    }
    file = audio::WavPlayingView(std::move(file), layout);
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&kStreamIo, SFM_READ, &info, file.get());
    if (!sound) {
        error.why = sf_strerror(nullptr);
        return nullptr;
    }
    // A WAV stream, as the library's name for it says (with the plain or
    // the extensible format header, which editors write for more than two
    // channels or more than 16 bits); other containers and absurd headers
    // are refused.
    const int container = info.format & SF_FORMAT_TYPEMASK;
    if ((container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX) || info.channels < 1 ||
        info.channels > audio::kLargestStreamChannels) {
        sf_close(sound);
        error.why = "not a WAV stream";
        return nullptr;
    }
    // A WAV at a rate the mix cannot be made from: a 1 Hz header would grow
    // every decoded block 44,100-fold in the resampler.
    if (info.samplerate <= 0 || !audio::PlayableStreamRate(static_cast<uint32_t>(info.samplerate))) {
        sf_close(sound);
        error.unplayable = true;
        error.why = "a WAV stream at a rate that cannot be played";
        return nullptr;
    }
    // Integer samples come out in -1 ... 1 as the file holds them.
    sf_command(sound, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    auto stream = std::make_unique<WavStream>(sound, info, std::move(file));
    std::unique_ptr<SoundSource> source = audio::ConvertToMix(std::move(stream));
    if (!source) {
        error.unplayable = true;
        error.why = "the stream's format cannot be played";
    }
    return source;
}

}  // namespace velmora::platform
