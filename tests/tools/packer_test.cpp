#include "packer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data/data_archive.h"

namespace {

using Bytes = std::vector<uint8_t>;

using velmora::tools::Parse;

// Packs and unpacks data; the packed block must unpack to exactly the input.
Bytes RoundTrip(const Bytes& data, velmora::tools::CodeCounts* counts = nullptr, Parse parse = Parse::kOptimal) {
    Bytes packed = velmora::tools::PackData(data.data(), data.size(), counts, {}, parse);
    Bytes out(data.size());
    EXPECT_EQ(DecompressData(packed.data(), static_cast<int32_t>(packed.size()), out.data(),
                             static_cast<int32_t>(out.size())),
              1);
    EXPECT_TRUE(out == data) << "round trip of " << data.size() << " bytes differs";
    return packed;
}

Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    Bytes data(size);
    for (auto& byte : data) byte = static_cast<uint8_t>(random());
    return data;
}

// Stretches of text, runs, zeros, noise and copies from near and far back.
Bytes MixedBytes(size_t size, uint32_t seed) {
    static const char* words[] = {"scene ", "camera ", "texture ", "light ", "frame ",
                                  "\r\n", "0.500000 ", "object "};
    std::mt19937 random(seed);
    Bytes data;
    data.reserve(size);
    while (data.size() < size) {
        size_t left = size - data.size();
        size_t length = std::min<size_t>(left, 1 + random() % 3000);
        switch (random() % 5) {
        case 0:
            for (size_t i = 0; i < length; ++i) data.push_back(static_cast<uint8_t>(random()));
            break;
        case 1:
            while (length > 0) {
                for (const char* c = words[random() % 8]; *c && length > 0; ++c, --length)
                    data.push_back(static_cast<uint8_t>(*c));
            }
            break;
        case 2:
            data.insert(data.end(), length, static_cast<uint8_t>(random() % 3 == 0 ? 0 : random()));
            break;
        default:
            if (data.size() < 2) break;
            size_t offset = 1 + random() % std::min<size_t>(data.size(), 200000);
            for (size_t i = 0; i < length; ++i) data.push_back(data[data.size() - offset]);
            break;
        }
    }
    return data;
}

// Four channels of 32-bit floats sampled from slow curves with a little
// noise: the low bytes change, the high bytes repeat 16 bytes back.
Bytes FloatChannels(size_t samples, uint32_t seed) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 0.002f);
    Bytes data;
    for (size_t i = 0; i < samples; ++i) {
        float t = static_cast<float>(i) * 0.001f;
        float values[4] = {std::sin(t * 3.0f) + noise(random), std::cos(t * 2.0f) * 40.0f + noise(random),
                           std::round(std::sin(t * 0.5f) * 100.0f) / 100.0f, 0.5f + noise(random)};
        const auto* bytes = reinterpret_cast<const uint8_t*>(values);
        data.insert(data.end(), bytes, bytes + sizeof values);
    }
    return data;
}

TEST(PackData, EmptyInputIsTheLoneEndMarker) {
    EXPECT_EQ(velmora::tools::PackData(nullptr, 0), (Bytes{0xC0, 0x00}));
    EXPECT_EQ(velmora::tools::PackData(nullptr, 0, nullptr, {}, Parse::kFast), (Bytes{0xC0, 0x00}));
}

TEST(PackData, SixEqualBytesPackAsInTheFormatsExample) {
    Bytes data(6, 0x41);
    Bytes packed = RoundTrip(data);
    // One literal and a five-byte match at offset 1 is the cheapest parse.
    EXPECT_EQ(packed, (Bytes{0x4B, 0x41, 0x01, 0x80, 0x00}));
}

TEST(PackData, RoundTripsOfEverySmallSizeAndSomeLargeOnes) {
    for (Parse parse : {Parse::kOptimal, Parse::kFast}) {
        SCOPED_TRACE(parse == Parse::kFast ? "fast" : "optimal");
        for (size_t size = 0; size <= 300; ++size) {
            SCOPED_TRACE(size);
            RoundTrip(MixedBytes(size, static_cast<uint32_t>(size)), nullptr, parse);
            RoundTrip(RandomBytes(size, static_cast<uint32_t>(size)), nullptr, parse);
            RoundTrip(Bytes(size, static_cast<uint8_t>(size)), nullptr, parse);
        }
        // Sizes about the parses' blocks of 32 K and 64 K positions.
        for (size_t size : {4095u, 32768u, 32769u, 65535u, 65536u, 65537u, 131073u, 1000003u, 3u << 20}) {
            SCOPED_TRACE(size);
            RoundTrip(MixedBytes(size, static_cast<uint32_t>(size)), nullptr, parse);
        }
        RoundTrip(RandomBytes(1 << 20, 7), nullptr, parse);
        RoundTrip(FloatChannels(20000, 2), nullptr, parse);
    }
}

TEST(PackData, MatchLengthsAboutTheLongMatchThresholdAndBeyondABlock) {
    // Copies of 250 to 262 bytes from 100 to 5000 back (the parse takes
    // matches from 256 bytes on whole), then one copy of 300 KB. Without the
    // copies the block may be only a few bytes a copy smaller.
    Bytes data = RandomBytes(6000, 11), without = data;
    for (uint32_t length = 250; length <= 262; ++length) {
        size_t offset = 100 + (length - 250) * 400;
        for (uint32_t k = 0; k < length; ++k) data.push_back(data[data.size() - offset]);
        data.push_back(static_cast<uint8_t>(length));
        without.push_back(static_cast<uint8_t>(length));
    }
    Bytes far = RandomBytes(300000, 12);
    for (Bytes* bytes : {&data, &without}) bytes->insert(bytes->end(), far.begin(), far.end());
    data.insert(data.end(), far.begin(), far.end());
    for (Parse parse : {Parse::kOptimal, Parse::kFast}) {
        size_t copies = RoundTrip(data, nullptr, parse).size();
        EXPECT_LT(copies, RoundTrip(without, nullptr, parse).size() + 14 * 6);
    }
}

TEST(PackData, OffsetsReachTheEndOfTheWindowAndNoFurther) {
    // Zeros between two copies of a stretch of noise: the second copy lies
    // 2^21 - 1 back, the farthest offset searched, and then 2^21 back.
    const size_t window = size_t{1} << 21;
    Bytes noise = RandomBytes(200, 13);
    for (size_t distance : {window - 1, window}) {
        SCOPED_TRACE(distance);
        Bytes data = noise;
        data.resize(distance, 0);
        data.insert(data.end(), noise.begin(), noise.end());
        Bytes packed = RoundTrip(data);
        if (distance < window)
            EXPECT_LT(packed.size(), 200u * 9 / 8 + 100u);
        else
            EXPECT_GT(packed.size(), 2u * 200u);
    }
}

TEST(PackData, OptimalParseBeatsTheFastOneWhereThereIsStructure) {
    std::vector<Bytes> samples = {MixedBytes(200000, 21), MixedBytes(70000, 22), FloatChannels(30000, 23)};
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "object " + std::to_string(i % 37) + " frame " + std::to_string(i) + "\r\n";
    samples.emplace_back(text.begin(), text.end());
    for (const Bytes& data : samples) {
        SCOPED_TRACE(data.size());
        EXPECT_LE(RoundTrip(data).size(), RoundTrip(data, nullptr, Parse::kFast).size());
    }
    // In noise it leaves out matches that save fewer bits than their time to
    // unpack is weighed at, and may come out a little larger.
    Bytes noise = RandomBytes(5000, 24);
    EXPECT_LE(RoundTrip(noise).size(), RoundTrip(noise, nullptr, Parse::kFast).size() * 101 / 100);
}

TEST(PackData, FloatChannelsKeepTheirOffsetThroughChangedBytes) {
    // Each position keeps arrivals for several last offsets, so a repeat at
    // the channel stride survives the literals between: clearly smaller than
    // the fast parse, which keeps one.
    Bytes data = FloatChannels(60000, 5);
    velmora::tools::CodeCounts optimal, fast;
    size_t optimalSize = RoundTrip(data, &optimal).size();
    size_t fastSize = RoundTrip(data, &fast, Parse::kFast).size();
    EXPECT_LT(optimalSize, fastSize * 97 / 100);
    EXPECT_GT(optimal.repeatMatches, fast.repeatMatches * 3 / 2);
}

TEST(PackData, RunsAndZerosPackToAlmostNothing) {
    Bytes zeros(1 << 20, 0);
    EXPECT_LT(RoundTrip(zeros).size(), 32u);
    Bytes run(100000, 'r');
    EXPECT_LT(RoundTrip(run).size(), 32u);
}

TEST(PackData, ZeroAndNearBytesUseTheSingleByteCode) {
    // Noise in which every third byte is a zero or repeats the byte 1 to 15 back.
    std::mt19937 random(3);
    Bytes data;
    for (int i = 0; i < 30000; ++i) {
        if (i % 3 != 2 || data.size() < 15)
            data.push_back(static_cast<uint8_t>(random()));
        else if (random() % 4 == 0)
            data.push_back(0);
        else
            data.push_back(data[data.size() - 1 - random() % 15]);
    }
    velmora::tools::CodeCounts counts;
    RoundTrip(data, &counts);
    EXPECT_GT(counts.zeroBytes, 1000u);
    EXPECT_GT(counts.singleBytes, 5000u);
    EXPECT_GT(counts.literals, 10000u);
}

TEST(PackData, TwoAndThreeByteEchoesUseShortMatches) {
    std::mt19937 random(5);
    Bytes data;
    for (int i = 0; i < 20000; ++i) {
        data.push_back(static_cast<uint8_t>(random() | 0x80));
        if (i % 4 == 3 && data.size() > 100) {  // echo 2 or 3 bytes from 16 to 100 back
            size_t offset = 16 + random() % 85, length = 2 + random() % 2;
            for (size_t k = 0; k < length; ++k) data.push_back(data[data.size() - offset]);
        }
    }
    velmora::tools::CodeCounts counts;
    RoundTrip(data, &counts);
    EXPECT_GT(counts.shortMatches, 3000u);
}

TEST(PackData, RecordsWithChangedFieldsUseRepeatMatches) {
    // Records of 1000 bytes, each the one before with every 50th byte changed
    // to a value no earlier record has there: after each change the copy
    // resumes at offset 1000.
    Bytes data = RandomBytes(1000, 1);
    for (auto& byte : data) byte |= 0x80;
    for (int record = 0; record < 50; ++record)
        for (int i = 0; i < 1000; ++i)
            data.push_back(i % 50 == 7 ? static_cast<uint8_t>(record) : data[data.size() - 1000]);
    velmora::tools::CodeCounts counts;
    Bytes packed = RoundTrip(data, &counts);
    EXPECT_GT(counts.repeatMatches, 900u);
    EXPECT_LT(packed.size(), data.size() / 10);
}

TEST(PackData, FarCopiesAndTheOffset127Boundary) {
    // A stretch of noise repeated beyond 32 KB, and echoes exactly 127 and 128 back.
    Bytes noise = RandomBytes(40000, 2);
    Bytes data = noise;
    Bytes gap = RandomBytes(30000, 3);
    data.insert(data.end(), gap.begin(), gap.end());
    data.insert(data.end(), noise.begin(), noise.end());
    for (int i = 0; i < 400; ++i) {
        Bytes fresh = RandomBytes(130, 100 + i);
        data.insert(data.end(), fresh.begin(), fresh.end());
        size_t offset = i % 2 ? 127 : 128;
        for (int k = 0; k < 6; ++k) data.push_back(data[data.size() - offset]);
    }
    velmora::tools::CodeCounts counts;
    Bytes packed = RoundTrip(data, &counts);
    EXPECT_GT(counts.matches, 400u);
    EXPECT_LT(packed.size(), 40000u * 9 / 8 + 30000u * 9 / 8 + 400u * 160);
}

TEST(PackData, ProgressIsReportedUpToTheTotal) {
    Bytes data = MixedBytes(3 << 20, 1);
    size_t last = 0, calls = 0;
    velmora::tools::PackData(data.data(), data.size(), nullptr, [&](size_t done, size_t total) {
        EXPECT_EQ(total, data.size());
        EXPECT_GE(done, last);
        last = done;
        ++calls;
    });
    EXPECT_EQ(last, data.size());
    EXPECT_GE(calls, 2u);
}

}  // namespace

// The table of 2-byte prefixes is kept between packings on a thread: a file
// packed after others, in either parse, comes out as in a thread that packed
// nothing before, also when the earlier file was larger or left off mid-pair.
TEST(PackData, EarlierPackingsOnTheThreadLeaveNoTrace) {
    const Bytes files[] = {MixedBytes(70000, 5), RandomBytes(3, 6), Bytes{}, MixedBytes(900, 7),
                           RandomBytes(4097, 8)};
    for (Parse parse : {Parse::kOptimal, Parse::kFast}) {
        for (const Bytes& file : files) {
            SCOPED_TRACE(file.size());
            Bytes afterOthers = RoundTrip(file, nullptr, parse);
            Bytes alone;
            std::thread fresh([&] { alone = velmora::tools::PackData(file.data(), file.size(), nullptr, {}, parse); });
            fresh.join();
            EXPECT_TRUE(afterOthers == alone);
        }
    }
}
