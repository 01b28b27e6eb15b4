#include "platform/audio/wav_chunks.h"

#include <algorithm>
#include <cstring>

namespace velmora::platform::audio {

namespace {

uint32_t Word(const uint8_t* bytes, bool bigEndian) {
    if (bigEndian)
        return static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
               static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
    return static_cast<uint32_t>(bytes[3]) << 24 | static_cast<uint32_t>(bytes[2]) << 16 |
           static_cast<uint32_t>(bytes[1]) << 8 | bytes[0];
}

void PutWord(std::vector<uint8_t>& out, uint32_t value, bool bigEndian) {
    for (int i = 0; i < 4; ++i) {
        const int shift = bigEndian ? 24 - 8 * i : 8 * i;
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

bool ReadAt(StreamFile& file, int64_t position, void* buffer, size_t size) {
    return file.Seek(position) && file.Read(buffer, size) == size;
}

// A chunk's bytes, when it is no longer than limit and lies whole in the file.
bool ReadChunk(StreamFile& file, int64_t position, uint32_t size, uint32_t limit, int64_t fileLength,
               std::vector<uint8_t>& bytes) {
    if (size > limit || position + size > fileLength) return false;
    bytes.resize(size);
    return size == 0 || ReadAt(file, position, bytes.data(), size);
}

void PutChunk(std::vector<uint8_t>& out, const char* id, const std::vector<uint8_t>& bytes, bool bigEndian) {
    out.insert(out.end(), id, id + 4);
    PutWord(out, static_cast<uint32_t>(bytes.size()), bigEndian);
    out.insert(out.end(), bytes.begin(), bytes.end());
    if (bytes.size() & 1) out.push_back(0);
}

// The header made for libsndfile, then the file's sound data.
class PlayingView : public StreamFile {
public:
    PlayingView(std::unique_ptr<StreamFile> file, const WavLayout& layout)
        : file_(std::move(file)), dataOffset_(layout.dataOffset), dataLength_(layout.dataLength) {
        const bool big = layout.bigEndian;
        const char* riff = big ? "RIFX" : "RIFF";
        header_.insert(header_.end(), riff, riff + 4);
        PutWord(header_, 0, big);  // the size, filled in below
        header_.insert(header_.end(), {'W', 'A', 'V', 'E'});
        PutChunk(header_, "fmt ", layout.format, big);
        if (!layout.fact.empty()) PutChunk(header_, "fact", layout.fact, big);
        header_.insert(header_.end(), {'d', 'a', 't', 'a'});
        PutWord(header_, static_cast<uint32_t>(dataLength_), big);
        std::vector<uint8_t> size;
        PutWord(size, static_cast<uint32_t>(Length() - 8), big);
        std::copy(size.begin(), size.end(), header_.begin() + 4);
    }

    size_t Read(void* buffer, size_t size) override {
        uint8_t* out = static_cast<uint8_t*>(buffer);
        size_t done = 0;
        if (position_ < static_cast<int64_t>(header_.size())) {
            done = std::min(size, header_.size() - static_cast<size_t>(position_));
            if (done > 0) std::memcpy(out, header_.data() + position_, done);
            position_ += static_cast<int64_t>(done);
        }
        const int64_t intoData = position_ - static_cast<int64_t>(header_.size());
        const size_t wanted = static_cast<size_t>(std::min<int64_t>(
            static_cast<int64_t>(size - done), std::max<int64_t>(0, dataLength_ - intoData)));
        if (wanted > 0 && file_->Seek(dataOffset_ + intoData)) {
            const size_t got = file_->Read(out + done, wanted);
            position_ += static_cast<int64_t>(got);
            done += got;
        }
        return done;
    }
    bool Seek(int64_t position) override {
        if (position < 0 || position > Length()) return false;
        position_ = position;
        return true;
    }
    int64_t Tell() override { return position_; }
    int64_t Length() override { return static_cast<int64_t>(header_.size()) + dataLength_; }

private:
    std::unique_ptr<StreamFile> file_;
    int64_t dataOffset_;
    int64_t dataLength_;
    std::vector<uint8_t> header_;
    int64_t position_ = 0;
};

}  // namespace

bool ReadWavLayout(StreamFile& file, WavLayout& layout) {
    layout = WavLayout{};
    const int64_t length = file.Length();
    uint8_t head[12];
    if (!ReadAt(file, 0, head, sizeof head) || std::memcmp(head + 8, "WAVE", 4) != 0) return false;
    if (std::memcmp(head, "RIFX", 4) == 0)
        layout.bigEndian = true;
    else if (std::memcmp(head, "RIFF", 4) != 0)
        return false;
    bool haveFormat = false, haveData = false;
    // Every step moves on by at least the 8 bytes of a chunk's head.
    for (int64_t position = 12; position + 8 <= length && !(haveFormat && haveData);) {
        uint8_t chunk[8];
        if (!ReadAt(file, position, chunk, sizeof chunk)) return false;
        const uint32_t size = Word(chunk + 4, layout.bigEndian);
        const int64_t body = position + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            if (!ReadChunk(file, body, size, kLargestFormatChunk, length, layout.format)) return false;
            haveFormat = true;
        } else if (std::memcmp(chunk, "fact", 4) == 0 && layout.fact.empty() && !haveData) {
            // A fact chunk of an unlikely size is left out rather than trusted.
            if (!ReadChunk(file, body, size, kLargestFactChunk, length, layout.fact)) layout.fact.clear();
        } else if (std::memcmp(chunk, "data", 4) == 0 && !haveData) {
            layout.dataOffset = body;
            layout.dataLength = std::min<int64_t>(size, length - body);
            haveData = true;
        }
        position = body + size + (size & 1);
    }
    return haveFormat && haveData;
}

std::unique_ptr<StreamFile> WavPlayingView(std::unique_ptr<StreamFile> file, const WavLayout& layout) {
    return std::make_unique<PlayingView>(std::move(file), layout);
}

}  // namespace velmora::platform::audio
