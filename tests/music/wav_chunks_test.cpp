// The walk of a WAV file's chunks and the view of it that libsndfile is
// shown: the format, fact and data chunks found in any order among others,
// damaged and hostile layouts refused or passed over, the view's bytes.
#include "platform/audio/wav_chunks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "music/music_test_support.h"

using namespace velmora::platform;
using namespace velmora::platform::audio;

namespace {

class BytesFile : public StreamFile {
public:
    explicit BytesFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
    size_t Read(void* buffer, size_t size) override {
        size_t n = std::min(size, bytes_.size() - position_);
        if (n == 0) return 0;
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }
    bool Seek(int64_t position) override {
        if (position < 0 || position > static_cast<int64_t>(bytes_.size())) return false;
        position_ = static_cast<size_t>(position);
        return true;
    }
    int64_t Tell() override { return static_cast<int64_t>(position_); }
    int64_t Length() override { return static_cast<int64_t>(bytes_.size()); }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// A WAV written chunk by chunk, little-endian or (RIFX) big-endian.
struct WavFile {
    bool big = false;
    std::vector<uint8_t> bytes;

    explicit WavFile(bool bigEndian = false) : big(bigEndian) {
        Text(big ? "RIFX" : "RIFF");
        Word(0);
        Text("WAVE");
    }
    void Text(const char* four) { bytes.insert(bytes.end(), four, four + 4); }
    void Word(uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(value >> (big ? 24 - 8 * i : 8 * i)));
    }
    // A chunk claiming size bytes, holding body (padded to an even length).
    void Chunk(const char* id, uint32_t size, const std::vector<uint8_t>& body) {
        Text(id);
        Word(size);
        bytes.insert(bytes.end(), body.begin(), body.end());
        if (body.size() & 1) bytes.push_back(0);
    }
    void Chunk(const char* id, const std::vector<uint8_t>& body) {
        Chunk(id, static_cast<uint32_t>(body.size()), body);
    }
};

std::vector<uint8_t> Counting(size_t count, uint8_t first) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

// A list whose one entry claims a length that wraps a 32-bit count round.
std::vector<uint8_t> HostileList() {
    std::vector<uint8_t> list = {'I', 'N', 'F', 0xFF, 0xF7, 0xFF, 0xFF, 0xFF};
    list.resize(26, 0x7E);
    return list;
}

bool Layout(const std::vector<uint8_t>& bytes, WavLayout& layout) {
    BytesFile file(bytes);
    return ReadWavLayout(file, layout);
}

TEST(WavChunksTest, FindsTheFormatFactAndDataAmongOtherChunksInAnyOrder) {
    const std::vector<uint8_t> format = Counting(18, 1), fact = {9, 8, 7, 6}, data = Counting(101, 50);
    WavFile wav;
    wav.Chunk("LIST", HostileList());
    wav.Chunk("JUNK", Counting(7, 0));  // odd: a pad byte follows
    wav.Chunk("fmt ", format);
    wav.Chunk("fact", fact);
    const size_t dataAt = wav.bytes.size() + 8;
    wav.Chunk("data", data);
    wav.Chunk("LIST", Counting(30, 3));
    WavLayout layout;
    ASSERT_TRUE(Layout(wav.bytes, layout));
    EXPECT_FALSE(layout.bigEndian);
    EXPECT_EQ(layout.format, format);
    EXPECT_EQ(layout.fact, fact);
    EXPECT_EQ(layout.dataOffset, static_cast<int64_t>(dataAt));
    EXPECT_EQ(layout.dataLength, 101);

    // The format may follow the data too.
    WavFile late;
    late.Chunk("data", data);
    late.Chunk("fmt ", format);
    ASSERT_TRUE(Layout(late.bytes, layout));
    EXPECT_EQ(layout.format, format);
    EXPECT_EQ(layout.dataOffset, 20);
    EXPECT_TRUE(layout.fact.empty());
}

TEST(WavChunksTest, ARifxFileIsReadBigEndian) {
    WavFile wav(true);
    wav.Chunk("fmt ", Counting(16, 1));
    wav.Chunk("data", Counting(40, 0));
    WavLayout layout;
    ASSERT_TRUE(Layout(wav.bytes, layout));
    EXPECT_TRUE(layout.bigEndian);
    EXPECT_EQ(layout.format.size(), 16u);
    EXPECT_EQ(layout.dataLength, 40);
}

TEST(WavChunksTest, DataLongerThanTheFileIsTakenAsFarAsItGoes) {
    WavFile wav;
    wav.Chunk("fmt ", Counting(16, 1));
    wav.Chunk("data", 1000000, Counting(64, 0));
    WavLayout layout;
    ASSERT_TRUE(Layout(wav.bytes, layout));
    EXPECT_EQ(layout.dataLength, 64);
}

TEST(WavChunksTest, WhatIsNoPlayableWavIsRefused) {
    WavLayout layout;
    const std::vector<uint8_t> format = Counting(16, 1), data = Counting(40, 0);
    auto refused = [&](const std::vector<uint8_t>& bytes) { return !Layout(bytes, layout); };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V'}));
    WavFile noFormat;
    noFormat.Chunk("data", data);
    EXPECT_TRUE(refused(noFormat.bytes));
    WavFile noData;
    noData.Chunk("fmt ", format);
    noData.Chunk("LIST", HostileList());
    EXPECT_TRUE(refused(noData.bytes));
    WavFile hugeFormat;
    hugeFormat.Chunk("fmt ", Counting(kLargestFormatChunk + 2, 0));
    hugeFormat.Chunk("data", data);
    EXPECT_TRUE(refused(hugeFormat.bytes));
    WavFile cutFormat;
    cutFormat.Chunk("fmt ", 400, format);  // claims more than the file holds
    EXPECT_TRUE(refused(cutFormat.bytes));
    for (const char* magic : {"RIFF", "RIFX"}) {
        WavFile notWave;
        notWave.Chunk("fmt ", format);
        notWave.Chunk("data", data);
        std::memcpy(notWave.bytes.data() + (std::strcmp(magic, "RIFF") == 0 ? 8 : 0),
                    std::strcmp(magic, "RIFF") == 0 ? "AVI " : "FORM", 4);
        EXPECT_TRUE(refused(notWave.bytes)) << magic;
    }
    // A chunk whose size would carry the walk back or past the end ends it.
    WavFile wraps;
    wraps.Chunk("fmt ", format);
    wraps.Chunk("JUNK", 0xFFFFFFF8u, {});
    wraps.Chunk("data", data);
    EXPECT_TRUE(refused(wraps.bytes));
    // A fact chunk of an unlikely size is left out, not trusted.
    WavFile bigFact;
    bigFact.Chunk("fmt ", format);
    bigFact.Chunk("fact", Counting(kLargestFactChunk + 2, 0));
    bigFact.Chunk("data", data);
    ASSERT_TRUE(Layout(bigFact.bytes, layout));
    EXPECT_TRUE(layout.fact.empty());
}

TEST(WavChunksTest, TheViewIsTheFormatFactAndDataAloneWithTheFilesSoundData) {
    const std::vector<uint8_t> format = Counting(18, 1), fact = {9, 8, 7, 6}, data = Counting(101, 50);
    WavFile wav;
    wav.Chunk("LIST", HostileList());
    wav.Chunk("fmt ", format);
    wav.Chunk("fact", fact);
    wav.Chunk("data", data);
    auto file = std::make_unique<BytesFile>(wav.bytes);
    WavLayout layout;
    ASSERT_TRUE(ReadWavLayout(*file, layout));
    std::unique_ptr<StreamFile> view = WavPlayingView(std::move(file), layout);

    WavFile expected;
    expected.Chunk("fmt ", format);
    expected.Chunk("fact", fact);
    expected.Chunk("data", data);
    expected.bytes.pop_back();  // the data's pad byte is no part of the view
    const size_t riffSize = expected.bytes.size() - 8;
    for (int i = 0; i < 4; ++i) expected.bytes[4 + i] = static_cast<uint8_t>(riffSize >> (8 * i));
    ASSERT_EQ(view->Length(), static_cast<int64_t>(expected.bytes.size()));
    std::vector<uint8_t> seen(expected.bytes.size() + 10, 0);
    EXPECT_EQ(view->Read(seen.data(), seen.size()), expected.bytes.size());
    seen.resize(expected.bytes.size());
    EXPECT_EQ(seen, expected.bytes);
    // Read in pieces across the header's end, from anywhere.
    const int64_t into = static_cast<int64_t>(expected.bytes.size() - data.size()) - 3;
    ASSERT_TRUE(view->Seek(into));
    uint8_t piece[7];
    ASSERT_EQ(view->Read(piece, sizeof piece), sizeof piece);
    EXPECT_EQ(std::vector<uint8_t>(piece, piece + 7),
              std::vector<uint8_t>(expected.bytes.begin() + into, expected.bytes.begin() + into + 7));
    EXPECT_EQ(view->Tell(), into + 7);
    EXPECT_FALSE(view->Seek(view->Length() + 1));
    EXPECT_FALSE(view->Seek(-1));
}

}  // namespace
