#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/data_archive.h"

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

}  // namespace
