// MPEG audio streams through libmpg123, reading through the stream file (the
// sound library's file callbacks). Decoded as float at the stream's own rate;
// libmpg123's own resampling is never used.
#include <mpg123.h>

#include <cstdio>
#include <mutex>

#include "platform/audio/native_stream.h"

namespace velmora::platform {

namespace {

using audio::NativeStream;

mpg123_ssize_t ReadFile(void* handle, void* buffer, size_t size) {
    return static_cast<mpg123_ssize_t>(static_cast<StreamFile*>(handle)->Read(buffer, size));
}

off_t SeekFile(void* handle, off_t offset, int whence) {
    return static_cast<off_t>(static_cast<StreamFile*>(handle)->SeekFrom(offset, whence));
}

class MpegStream : public NativeStream {
public:
    MpegStream(mpg123_handle* handle, std::unique_ptr<StreamFile> file)
        : handle_(handle), file_(std::move(file)) {}
    ~MpegStream() override {
        mpg123_close(handle_);
        mpg123_delete(handle_);
    }

    // Opens the stream and reads its format; false when it is not MPEG audio.
    bool Open() {
        if (mpg123_open_handle(handle_, file_.get()) != MPG123_OK) return false;
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK) return false;
        if (encoding != MPG123_ENC_FLOAT_32 || rate <= 0 || channels < 1 || channels > 2)
            return false;
        // Fix the format found: a later change of format ends the stream.
        mpg123_format_none(handle_);
        mpg123_format(handle_, rate, channels, MPG123_ENC_FLOAT_32);
        if (rate_ == 0) {
            rate_ = static_cast<uint32_t>(rate);
            channels_ = channels;
        }
        return rate_ == static_cast<uint32_t>(rate) && channels_ == channels;
    }

    uint32_t Rate() const override { return rate_; }
    int Channels() const override { return channels_; }

    size_t Decode(float* out, size_t frames) override {
        if (ended_) return 0;
        const size_t frameBytes = sizeof(float) * static_cast<size_t>(channels_);
        size_t done = 0;
        unsigned char* bytes = reinterpret_cast<unsigned char*>(out);
        while (done < frames * frameBytes) {
            size_t got = 0;
            int result = mpg123_read(handle_, bytes + done, frames * frameBytes - done, &got);
            done += got;
            if (result == MPG123_OK) continue;
            if (result == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(handle_, &rate, &channels, &encoding);
                if (static_cast<uint32_t>(rate) == rate_ && channels == channels_ &&
                    encoding == MPG123_ENC_FLOAT_32)
                    continue;
            }
            // MPG123_DONE, an error, or a format the stream did not start with.
            ended_ = true;
            break;
        }
        return done / frameBytes;
    }

    bool Rewind() override {
        // Opened afresh, so that every play decodes exactly the same samples.
        mpg123_close(handle_);
        ended_ = false;
        AllowEveryRate(handle_);
        return file_->Seek(0) && Open();
    }

    uint64_t Seek(uint64_t frame) override {
        // The length is exact once the stream has been scanned (its frames
        // read through, not decoded); a seek past it would be refused.
        off_t length = mpg123_length(handle_);
        if (length < 0 && mpg123_scan(handle_) == MPG123_OK) length = mpg123_length(handle_);
        const off_t to = length >= 0 && static_cast<uint64_t>(length) < frame ? length : static_cast<off_t>(frame);
        const off_t reached = mpg123_seek(handle_, to, SEEK_SET);
        ended_ = reached < 0;
        return reached < 0 ? 0 : static_cast<uint64_t>(reached);
    }

    static void AllowEveryRate(mpg123_handle* handle) {
        // Every rate the library knows, at its own rate: no resampling inside it.
        mpg123_format_none(handle);
        const long* rates = nullptr;
        size_t count = 0;
        mpg123_rates(&rates, &count);
        for (size_t i = 0; i < count; ++i)
            mpg123_format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);
    }

private:
    mpg123_handle* handle_;
    std::unique_ptr<StreamFile> file_;
    uint32_t rate_ = 0;
    int channels_ = 0;
    bool ended_ = false;
};

}  // namespace

std::unique_ptr<SoundSource> OpenMpegSource(std::unique_ptr<StreamFile> file, SourceError& error) {
    static std::once_flag initialised;
    std::call_once(initialised, [] { mpg123_init(); });
    if (!file) {
        error.why = "no file";
        return nullptr;
    }
    int code = MPG123_OK;
    mpg123_handle* handle = mpg123_new(nullptr, &code);
    if (!handle) {
        error.why = mpg123_plain_strerror(code);
        return nullptr;
    }
    mpg123_param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // No resampling of any kind inside the decoder.
    mpg123_param(handle, MPG123_REMOVE_FLAGS, MPG123_AUTO_RESAMPLE, 0);
    if (mpg123_replace_reader_handle(handle, ReadFile, SeekFile, nullptr) != MPG123_OK) {
        error.why = mpg123_strerror(handle);
        mpg123_delete(handle);
        return nullptr;
    }
    MpegStream::AllowEveryRate(handle);
    auto stream = std::make_unique<MpegStream>(handle, std::move(file));
    if (!stream->Open()) {
        error.why = "not an MPEG audio stream";
        return nullptr;
    }
    std::unique_ptr<SoundSource> source = audio::ConvertToMix(std::move(stream));
    if (!source) {
        error.unplayable = true;
        error.why = "the stream's format cannot be played";
    }
    return source;
}

}  // namespace velmora::platform
