#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "data/data_archive.h"
#include "data/plain_unpack.h"
#include "packer.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Assembles a packed stream in the unpacker's reading order: a tag byte is
// placed where the next control bit is first needed.
class Stream {
public:
    Stream& Bits(const char* bits) {
        for (; *bits; ++bits) Bit(*bits == '1');
        return *this;
    }
    Stream& Byte(uint8_t byte) {
        bytes.push_back(byte);
        return *this;
    }
    Stream& Number(uint32_t value) {
        int top = 31;
        while (!(value >> top)) --top;
        for (int k = top - 1; k >= 0; --k) {
            Bit(k > 0);
            Bit((value >> k) & 1);
        }
        return *this;
    }
    Stream& Literal(uint8_t byte) { return Bits("0").Byte(byte); }
    Stream& Match(uint32_t offset, uint32_t lengthCode) {
        return Bits("10").Number(offset / 256 + 3).Byte(offset & 255).Number(lengthCode);
    }
    Stream& Repeat(uint32_t length) { return Bits("10").Number(2).Number(length); }
    Stream& End() { return Bits("110").Byte(0); }
    Bytes bytes;

private:
    void Bit(bool bit) {
        if (used == 8) {
            tag = bytes.size();
            bytes.push_back(0);
            used = 0;
        }
        if (bit) bytes[tag] |= static_cast<uint8_t>(0x80 >> used);
        ++used;
    }
    size_t tag = 0;
    int used = 8;
};

// Unpacks into a buffer of exactly size bytes (so the sanitizer build sees any
// overrun); the output is empty when the block is refused.
bool Unpack(const Bytes& packed, int32_t size, Bytes& out) {
    out.assign(static_cast<size_t>(size), 0xEE);
    Bytes source = packed;  // exactly its length, too
    bool sound = DecompressData(source.data(), static_cast<int32_t>(source.size()),
                                out.data(), size) == 1;
    // The dry run must judge every block the same way.
    EXPECT_EQ(DecompressData(source.data(), static_cast<int32_t>(source.size()), nullptr, size),
              sound ? 1 : 0);
    return sound;
}

TEST(DecompressData, LoneEndMarkerIsAnEmptyBlock) {
    Bytes out;
    EXPECT_TRUE(Unpack({0xC0, 0x00}, 0, out));
    EXPECT_TRUE(Unpack({0xC0, 0x01}, 0, out));  // b = 1 ends the block as well
    EXPECT_FALSE(Unpack({0xC0, 0x00}, 1, out));  // ends short of its size
}

TEST(DecompressData, SixBytesFromOneLiteralAndAnOverlappingMatch) {
    Bytes packed = {0x4B, 0x41, 0x01, 0x80, 0x00};
    Bytes out;
    ASSERT_TRUE(Unpack(packed, 6, out));
    EXPECT_EQ(out, Bytes(6, 0x41));
    EXPECT_FALSE(Unpack(packed, 5, out));  // would write past the size
    EXPECT_FALSE(Unpack(packed, 7, out));
    // The test's own stream builder writes the same bytes.
    EXPECT_EQ(Stream().Literal(0x41).Match(1, 3).End().bytes, packed);
}

TEST(DecompressData, EveryCodeUnpacks) {
    Stream stream;
    stream.Literal('a').Literal('b').Literal('c');
    stream.Bits("1110000");            // zero byte
    stream.Bits("1110011");            // the byte 3 back: 'b'
    stream.Bits("110").Byte(5 << 1 | 1);  // short match: 3 bytes from 5 back
    stream.Match(8, 2);                // offset 8 < 128: 2 + 2 bytes
    stream.Repeat(3);                  // 3 more at offset 8
    stream.End();
    Bytes out;
    ASSERT_TRUE(Unpack(stream.bytes, 15, out));
    std::string text(out.begin(), out.end());
    EXPECT_EQ(text, std::string("abc\0babcabc\0bab", 15));
}

TEST(DecompressData, LengthBonusStopsAtOffset127) {
    Bytes start;
    Stream at127, at128;
    for (int i = 0; i < 128; ++i) {
        at127.Literal(static_cast<uint8_t>(i));
        at128.Literal(static_cast<uint8_t>(i));
        start.push_back(static_cast<uint8_t>(i));
    }
    at127.Match(127, 2).End();  // 4 bytes from 127 back
    at128.Match(128, 2).End();  // 2 bytes from 128 back
    Bytes out;
    ASSERT_TRUE(Unpack(at127.bytes, 132, out));
    EXPECT_EQ(Bytes(out.begin() + 128, out.end()), (Bytes{1, 2, 3, 4}));
    ASSERT_TRUE(Unpack(at128.bytes, 130, out));
    EXPECT_EQ(Bytes(out.begin() + 128, out.end()), (Bytes{0, 1}));
}

TEST(DecompressData, FarOffsetsUseTheHighPartOfTheNumber) {
    Stream stream;
    for (int i = 0; i < 70000; ++i) stream.Literal(static_cast<uint8_t>(i * 7 + (i >> 8)));
    stream.Match(69000, 5).End();
    Bytes out;
    ASSERT_TRUE(Unpack(stream.bytes, 70005, out));
    EXPECT_EQ(Bytes(out.begin() + 70000, out.end()), Bytes(out.begin() + 1000, out.begin() + 1005));
}

TEST(DecompressData, DamagedBlocksAreRefused) {
    Bytes out;
    // A match reaching before the start of the output.
    EXPECT_FALSE(Unpack(Stream().Literal(1).Match(2, 2).End().bytes, 3, out));
    // Offset 0 (G = 3 and the byte 0).
    EXPECT_FALSE(Unpack(Stream().Literal(1).Match(0, 2).End().bytes, 5, out));
    // A repeat match before any normal match has set the offset.
    EXPECT_FALSE(Unpack(Stream().Literal(1).Repeat(2).End().bytes, 3, out));
    // Single byte and short match reaching before the start.
    EXPECT_FALSE(Unpack(Stream().Literal(1).Bits("1110010").End().bytes, 2, out));
    EXPECT_FALSE(Unpack(Stream().Literal(1).Bits("110").Byte(2 << 1).End().bytes, 3, out));
    // A length number far beyond the size.
    EXPECT_FALSE(Unpack(Stream().Literal(1).Match(1, 1u << 30).End().bytes, 100, out));
    // No end marker at all.
    EXPECT_FALSE(Unpack(Stream().Literal(1).Literal(2).bytes, 2, out));
    EXPECT_FALSE(Unpack({}, 0, out));
    // A number code that never ends.
    EXPECT_FALSE(Unpack(Stream().Literal(1).Bits("10").Bits(std::string(400, '1').c_str()).bytes,
                        1000, out));
}

TEST(DecompressData, EveryCutShortBlockIsRefused) {
    Stream stream;
    for (int i = 0; i < 300; ++i) stream.Literal(static_cast<uint8_t>(i));
    stream.Match(200, 9).Repeat(4).Bits("1110101").Bits("110").Byte(33 << 1).End();
    const int32_t size = 300 + 9 + 4 + 1 + 2;
    Bytes out;
    ASSERT_TRUE(Unpack(stream.bytes, size, out));
    for (size_t cut = 0; cut < stream.bytes.size(); ++cut) {
        Bytes prefix(stream.bytes.begin(), stream.bytes.begin() + static_cast<long>(cut));
        EXPECT_FALSE(Unpack(prefix, size, out)) << "cut at " << cut;
    }
}

TEST(DecompressData, BytesAfterTheEndMarkerAreIgnored) {
    Bytes out;
    ASSERT_TRUE(Unpack({0x4B, 0x41, 0x01, 0x80, 0x00, 0x12, 0x34}, 6, out));
    EXPECT_EQ(out, Bytes(6, 0x41));
}

// The unpacker, its dry run and the plain reading must judge a block alike,
// and a sound block must come out the same.
void ExpectAsPlain(const Bytes& block, int32_t size) {
    Bytes packed = block;  // exactly its length
    Bytes fast(static_cast<size_t>(size)), plain(static_cast<size_t>(size));
    int32_t expected = PlainUnpack(packed.data(), static_cast<int32_t>(packed.size()), plain.data(), size);
    int32_t got = DecompressData(packed.data(), static_cast<int32_t>(packed.size()), fast.data(), size);
    EXPECT_EQ(got, expected) << packed.size() << " bytes for " << size;
    EXPECT_EQ(DecompressData(packed.data(), static_cast<int32_t>(packed.size()), nullptr, size), expected);
    if (got == 1 && expected == 1) {
        EXPECT_TRUE(fast == plain) << packed.size() << " bytes for " << size;
    }
}

// Text, runs, noise and copies from near and far back.
Bytes SampleBytes(size_t size, std::mt19937& random) {
    Bytes data;
    while (data.size() < size) {
        size_t length = std::min<size_t>(size - data.size(), 1 + random() % 200);
        switch (random() % 4) {
        case 0:
            for (size_t i = 0; i < length; ++i) data.push_back(static_cast<uint8_t>(random()));
            break;
        case 1:
            data.insert(data.end(), length, static_cast<uint8_t>(random() % 3 ? random() : 0));
            break;
        default:
            if (data.empty()) break;
            size_t offset = 1 + random() % std::min<size_t>(data.size(), 3000);
            for (size_t i = 0; i < length; ++i) data.push_back(data[data.size() - offset]);
        }
    }
    return data;
}

TEST(DecompressData, JudgesSoundAndDamagedBlocksAsThePlainReadingDoes) {
    std::mt19937 random(17);
    for (int trial = 0; trial < 300; ++trial) {
        SCOPED_TRACE(trial);
        Bytes data = SampleBytes(random() % 4000, random);
        const int32_t size = static_cast<int32_t>(data.size());
        Bytes packed = velmora::tools::PackData(data.data(), data.size(), nullptr, {},
                                        trial % 2 ? velmora::tools::Parse::kFast : velmora::tools::Parse::kOptimal);
        ExpectAsPlain(packed, size);
        ExpectAsPlain(packed, size + 1);
        if (size > 0) ExpectAsPlain(packed, size - 1);
        for (int k = 0; k < 8; ++k) {  // one bit flipped
            Bytes damaged = packed;
            damaged[random() % damaged.size()] ^= static_cast<uint8_t>(1 << random() % 8);
            ExpectAsPlain(damaged, size);
        }
        for (int k = 0; k < 4; ++k) {  // a byte replaced, cut short, a byte put in
            Bytes damaged = packed;
            damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
            ExpectAsPlain(damaged, size);
            ExpectAsPlain(Bytes(packed.begin(), packed.begin() + static_cast<long>(random() % packed.size())), size);
            damaged = packed;
            damaged.insert(damaged.begin() + static_cast<long>(random() % packed.size()), static_cast<uint8_t>(random()));
            ExpectAsPlain(damaged, size);
        }
    }
    for (int trial = 0; trial < 3000; ++trial) {  // noise of every length claimed as any size
        Bytes noise(random() % 300);
        for (auto& byte : noise) byte = static_cast<uint8_t>(random());
        ExpectAsPlain(noise, static_cast<int32_t>(random() % 600));
    }
}

TEST(DecompressData, CopiesOfEveryShortOffsetAndLengthAtEveryDistanceFromTheEnd) {
    // Bytes after the end marker keep the stream long, so that the whole
    // block goes through the loop that reads without checking the stream's
    // end, up to the output's last byte; without them it ends in the loop
    // that checks every byte.
    const Bytes padding(40, 0xFF);
    for (uint32_t offset = 1; offset <= 20; ++offset) {
        for (uint32_t length = 1; length <= 40; ++length) {
            for (uint32_t tail = 0; tail <= 18; tail += 3) {
                Stream stream;
                for (uint32_t i = 0; i < 24; ++i) stream.Literal(static_cast<uint8_t>(i * 37 + 1));
                stream.Match(offset, 2);  // 4 bytes; sets the last offset
                if (length == 1 && offset <= 15) {
                    std::string single = "111";
                    for (int k = 3; k >= 0; --k) single += offset >> k & 1 ? '1' : '0';
                    stream.Bits(single.c_str());
                } else if (length <= 3 && length >= 2) {
                    stream.Bits("110").Byte(static_cast<uint8_t>(offset << 1 | (length - 2)));
                } else if (length >= 2) {
                    stream.Repeat(length);
                } else {
                    continue;
                }
                for (uint32_t i = 0; i < tail; ++i) stream.Literal(static_cast<uint8_t>(i));
                stream.End();
                const int32_t size = static_cast<int32_t>(24 + 4 + length + tail);
                SCOPED_TRACE(testing::Message() << "offset " << offset << " length " << length << " tail " << tail);
                Bytes out;
                EXPECT_TRUE(Unpack(stream.bytes, size, out));
                ExpectAsPlain(stream.bytes, size);
                Bytes padded = stream.bytes;
                padded.insert(padded.end(), padding.begin(), padding.end());
                ExpectAsPlain(padded, size);
                ExpectAsPlain(padded, size - 1);
            }
        }
    }
}

TEST(DecompressData, DamagedBlocksAreRefusedWithBytesAfterThem) {
    // The damaged blocks of DamagedBlocksAreRefused, with enough bytes after
    // them to be read by the loop that does not check the stream's end.
    const Bytes padding(40, 0);
    std::vector<std::pair<Bytes, int32_t>> blocks = {
        {Stream().Literal(1).Match(2, 2).End().bytes, 3},
        {Stream().Literal(1).Match(0, 2).End().bytes, 5},
        {Stream().Literal(1).Repeat(2).End().bytes, 3},
        {Stream().Literal(1).Bits("1110010").End().bytes, 2},
        {Stream().Literal(1).Bits("110").Byte(2 << 1).End().bytes, 3},
        {Stream().Literal(1).Match(1, 1u << 30).End().bytes, 100},
        {Stream().Literal(1).Bits("10").Bits(std::string(400, '1').c_str()).bytes, 1000},
        {Stream().Literal(1).Literal(2).Literal(3).bytes, 2},  // more literals than room
    };
    for (const auto& [block, size] : blocks) {
        Bytes padded = block;
        padded.insert(padded.end(), padding.begin(), padding.end());
        Bytes out;
        EXPECT_FALSE(Unpack(padded, size, out));
        ExpectAsPlain(padded, size);
    }
}

TEST(DecompressData, OffsetsReachBackToTheFirstByteAndNoFurther) {
    // After 300 literals every kind of copy may reach back 300 bytes, not
    // 301; with and without more output and bytes after the block, so that
    // both loops and every way of copying see it.
    const Bytes padding(40, 0);
    for (uint32_t written : {10u, 300u}) {
        for (uint32_t length : {1u, 2u, 3u, 8u, 16u, 17u, 40u}) {
            for (uint32_t beyond = 0; beyond <= 1; ++beyond) {
                for (uint32_t tail : {0u, 40u}) {
                    uint32_t offset = written + beyond;
                    Stream stream;
                    for (uint32_t i = 0; i < written; ++i) stream.Literal(static_cast<uint8_t>(i * 7 + 3));
                    if (length == 1) {
                        if (offset > 15) continue;
                        std::string single = "111";
                        for (int k = 3; k >= 0; --k) single += offset >> k & 1 ? '1' : '0';
                        stream.Bits(single.c_str());
                    } else if (length <= 3) {
                        if (offset > 127) continue;
                        stream.Bits("110").Byte(static_cast<uint8_t>(offset << 1 | (length - 2)));
                    } else {
                        stream.Match(offset, offset <= 127 ? length - 2 : length);
                    }
                    for (uint32_t i = 0; i < tail; ++i) stream.Literal(static_cast<uint8_t>(i));
                    stream.End();
                    const int32_t size = static_cast<int32_t>(written + length + tail);
                    SCOPED_TRACE(testing::Message() << "offset " << offset << " length " << length << " tail " << tail);
                    Bytes padded = stream.bytes, out;
                    padded.insert(padded.end(), padding.begin(), padding.end());
                    EXPECT_EQ(Unpack(stream.bytes, size, out), beyond == 0);
                    EXPECT_EQ(Unpack(padded, size, out), beyond == 0);
                    ExpectAsPlain(padded, size);
                }
            }
        }
    }
}

}  // namespace
