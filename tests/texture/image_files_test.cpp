// Image files that the decoder reads only once rewritten (run-length BMPs,
// 16-colour PCX of one plane), what the header check refuses and the reason
// it gives, and the size bounds: each file is decoded from memory as the
// loaders do it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/memory_file.h"
#include "support/engine_fixture.h"
#include "texture/image_files.h"
#include "texture/texture_container.h"

namespace {

using Bytes = std::vector<uint8_t>;

void Put(Bytes& file, size_t at, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) file[at + i] = uint8_t(value >> (8 * i));
}

// A width x height run-length BMP (8 bits, or 4 with fourBits) whose palette
// entry i is grey i * 16, the runs as given.
Bytes RunLengthBmp(int width, int height, bool fourBits, const Bytes& runs) {
    int entries = fourBits ? 16 : 256;
    Bytes file(14 + 40 + 4 * entries, 0);
    file[0] = 'B';
    file[1] = 'M';
    Put(file, 10, uint32_t(file.size()), 4);
    Put(file, 14, 40, 4);
    Put(file, 18, uint32_t(width), 4);
    Put(file, 22, uint32_t(height), 4);
    Put(file, 26, 1, 2);
    Put(file, 28, fourBits ? 4 : 8, 2);
    Put(file, 30, fourBits ? 2 : 1, 4);
    Put(file, 34, uint32_t(runs.size()), 4);
    for (int i = 0; i < entries; ++i) Put(file, 54 + 4 * i, 0x010101u * uint32_t(i * 16 & 255), 4);
    file.insert(file.end(), runs.begin(), runs.end());
    Put(file, 2, uint32_t(file.size()), 4);
    return file;
}

// A PCX header of width x height with the given depth, planes, bytes a line
// and run-length flag; the 16-colour header palette entry i is (i, 2i, 3i) * 5.
Bytes PcxHeader(int width, int height, int bits, int planes, int lineBytes, bool runs) {
    Bytes file(128, 0);
    file[0] = 0x0A;
    file[1] = 5;
    file[2] = runs ? 1 : 0;
    file[3] = uint8_t(bits);
    Put(file, 8, uint32_t(width - 1), 2);
    Put(file, 10, uint32_t(height - 1), 2);
    for (int i = 0; i < 16; ++i) {
        file[16 + 3 * i] = uint8_t(i * 5);
        file[17 + 3 * i] = uint8_t(i * 10);
        file[18 + 3 * i] = uint8_t(i * 15);
    }
    file[65] = uint8_t(planes);
    Put(file, 66, uint32_t(lineBytes), 2);
    return file;
}

DWORD PcxPaletteWord(int index) {
    return DWORD(index * 5) << 24 | DWORD(index * 10) << 16 | DWORD(index * 15) << 8 | 255;
}

class ImageFilesTest : public velmora::testing::EngineTest {
protected:
    void TearDown() override {
        while (textureList) delete textureList;
        EngineTest::TearDown();
    }
    // The file decoded into a new texture; null when the loader refuses it.
    TextureContainer* Decode(ImageFormat format, Bytes bytes) {
        MemoryFile file{const_cast<char*>("image"), int32_t(bytes.size()), 0, bytes.data()};
        auto* texture = new TextureContainer("image", 0);
        if (DecodeImageFile(texture, &file, format) == 0) return texture;
        delete texture;
        return nullptr;
    }
    static std::string Fault(ImageFormat format, const Bytes& bytes) {
        const char* fault = ImageHeaderFault(format, bytes.data(), int64_t(bytes.size()));
        return fault ? fault : "";
    }
    static DWORD Pixel(const TextureContainer* texture, DWORD x, DWORD y) {
        return texture->pPixels[y * texture->dwWidth + x];
    }
    static DWORD Grey(int level) { return DWORD(level) * 0x01010100u | 255; }
};

TEST_F(ImageFilesTest, RunLengthBmpReadsAsWindowsDrawsIt) {
    // 3 x 2: bottom line a run of 2 of entry 1 and one pixel of entry 2, top
    // line entries 3 4 5 as they are; the last line ends in end-of-line
    // before end-of-bitmap, which is valid.
    const Bytes runs = {2, 1, 1, 2, 0, 0, 0, 3, 3, 4, 5, 0, 0, 0, 0, 1};
    TextureContainer* texture = Decode(ImageFormat::Bmp, RunLengthBmp(3, 2, false, runs));
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->dwSourceBits, 24u);
    EXPECT_EQ(texture->bAlpha, 0);
    const int expected[2][3] = {{1, 1, 2}, {3, 4, 5}};
    for (DWORD y = 0; y < 2; ++y)
        for (DWORD x = 0; x < 3; ++x) EXPECT_EQ(Pixel(texture, x, y), Grey(expected[y][x] * 16)) << x << "," << y;
    // Without the last end-of-line, without the end-of-bitmap, or without
    // both: the same picture.
    for (size_t cut : {size_t(2), size_t(4)}) {
        Bytes shorter(runs.begin(), runs.end() - long(cut));
        TextureContainer* same = Decode(ImageFormat::Bmp, RunLengthBmp(3, 2, false, shorter));
        ASSERT_NE(same, nullptr) << cut;
        EXPECT_EQ(std::memcmp(same->pPixels, texture->pPixels, 6 * 4), 0) << cut;
    }
    Bytes withoutLastEnd = {2, 1, 1, 2, 0, 0, 0, 3, 3, 4, 5, 0, 0, 1};
    ASSERT_NE(Decode(ImageFormat::Bmp, RunLengthBmp(3, 2, false, withoutLastEnd)), nullptr);

    // A run past the right edge is cut there; a delta skips pixels (left at
    // entry 0) and lines; codes after the top line are ignored.
    const Bytes moved = {5, 7, 0, 0, 0, 2, 1, 1, 1, 9, 0, 0, 4, 4, 0, 1};
    TextureContainer* jumps = Decode(ImageFormat::Bmp, RunLengthBmp(3, 3, false, moved));
    ASSERT_NE(jumps, nullptr);
    const int jumped[3][3] = {{7, 7, 7}, {0, 0, 0}, {0, 9, 0}};
    for (DWORD y = 0; y < 3; ++y)
        for (DWORD x = 0; x < 3; ++x) EXPECT_EQ(Pixel(jumps, x, y), Grey(jumped[y][x] * 16)) << x << "," << y;

    // 4 bits: a run alternates its two entries, an odd absolute run is
    // padded to an even number of bytes.
    const Bytes nibbles = {3, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 0, 0, 1};
    TextureContainer* four = Decode(ImageFormat::Bmp, RunLengthBmp(3, 2, true, nibbles));
    ASSERT_NE(four, nullptr);
    const int fours[2][3] = {{1, 2, 1}, {3, 4, 5}};
    for (DWORD y = 0; y < 2; ++y)
        for (DWORD x = 0; x < 3; ++x) EXPECT_EQ(Pixel(four, x, y), Grey(fours[y][x] * 16)) << x << "," << y;
}

TEST_F(ImageFilesTest, RunLengthBmpThatStopsShortIsRefusedAsDamaged) {
    const std::string damaged = "run-length data damaged or ending before the picture does";
    // The runs end on the bottom line; an absolute run and a delta that lack their bytes.
    for (const Bytes& runs : {Bytes{2, 1, 0, 0}, Bytes{2, 1, 0, 0, 0, 3, 3, 4}, Bytes{2, 1, 0, 0, 0, 2, 1}}) {
        Bytes file = RunLengthBmp(3, 2, false, runs);
        EXPECT_EQ(Fault(ImageFormat::Bmp, file), damaged);
        EXPECT_FALSE(BmpRunsAreSound(file.data(), int64_t(file.size())));
        EXPECT_EQ(Decode(ImageFormat::Bmp, file), nullptr);
    }
    // Run-length pictures stored from the top are no valid BMP.
    Bytes topDown = RunLengthBmp(3, 2, false, {3, 1, 0, 0, 3, 2, 0, 1});
    Put(topDown, 22, uint32_t(-2), 4);
    EXPECT_EQ(Fault(ImageFormat::Bmp, topDown), damaged);
}

TEST_F(ImageFilesTest, SixteenColourPcxOfOnePlaneReadsLikeItsFourPlaneTwin) {
    // 3 x 2, colour indices 1 2 3 on the top line and 15 0 12 below; the one
    // plane packs two pixels a byte, high half first, run-length coded (the
    // bytes 0xF0 and 0xC0 as runs of one).
    Bytes packed = PcxHeader(3, 2, 4, 1, 2, true);
    packed.insert(packed.end(), {0x12, 0x30, 0xC1, 0xF0, 0xC1, 0xC0});
    TextureContainer* one = Decode(ImageFormat::Pcx, packed);
    ASSERT_NE(one, nullptr);
    EXPECT_EQ(one->dwSourceBits, 24u);
    EXPECT_EQ(one->bAlpha, 0);
    // Stored row 0 is the bottom line.
    const int indices[2][3] = {{15, 0, 12}, {1, 2, 3}};
    for (DWORD y = 0; y < 2; ++y)
        for (DWORD x = 0; x < 3; ++x) EXPECT_EQ(Pixel(one, x, y), PcxPaletteWord(indices[y][x])) << x << "," << y;

    // The four-plane file of the same picture: bit n of each index in plane n.
    Bytes planes = PcxHeader(3, 2, 1, 4, 2, false);
    const uint8_t lines[2][4][2] = {{{0xA0, 0}, {0x60, 0}, {0, 0}, {0, 0}},        // 1 2 3
                                    {{0x80, 0}, {0x80, 0}, {0xA0, 0}, {0xA0, 0}}};  // 15 0 12
    for (const auto& line : lines)
        for (const auto& plane : line) planes.insert(planes.end(), plane, plane + 2);
    TextureContainer* four = Decode(ImageFormat::Pcx, planes);
    ASSERT_NE(four, nullptr);
    EXPECT_EQ(std::memcmp(four->pPixels, one->pPixels, 6 * 4), 0);
}

// The decoder loses its place after the first line of an uncompressed file;
// such files are coded before they reach it.
TEST_F(ImageFilesTest, UncompressedPcxReadsLikeItsRunLengthTwin) {
    // 256 colours, 3 x 3, palette entry i is (i, 255 - i, 7).
    auto indexed = [](bool runs) {
        Bytes file = PcxHeader(3, 3, 8, 1, 4, runs);
        for (uint8_t line : {0, 1, 2})
            for (uint8_t x : {0, 1, 2, 3}) {
                uint8_t index = uint8_t(10 * line + x);
                if (runs) file.push_back(0xC1);
                file.push_back(index);
            }
        file.push_back(12);
        for (int i = 0; i < 256; ++i) file.insert(file.end(), {uint8_t(i), uint8_t(255 - i), 7});
        return file;
    };
    TextureContainer* raw = Decode(ImageFormat::Pcx, indexed(false));
    TextureContainer* coded = Decode(ImageFormat::Pcx, indexed(true));
    ASSERT_NE(raw, nullptr);
    ASSERT_NE(coded, nullptr);
    EXPECT_EQ(std::memcmp(raw->pPixels, coded->pPixels, 9 * 4), 0);
    EXPECT_EQ(Pixel(raw, 2, 0), 0x16E907FFu);  // bottom line, index 22
    EXPECT_EQ(Pixel(raw, 1, 2), 0x01FE07FFu);  // top line, index 1

    // Two colours, 17 x 2: every third pixel set.
    auto mono = [](bool runs) {
        Bytes file = PcxHeader(17, 2, 1, 1, 4, runs);
        for (int line = 0; line < 2; ++line) {
            uint8_t bytes[4] = {0, 0, 0, 0};
            for (int x = 0; x < 17; ++x)
                if (x % 3 == line) bytes[x / 8] |= uint8_t(0x80 >> (x % 8));
            for (uint8_t byte : bytes) {
                if (runs) file.push_back(0xC1);
                file.push_back(byte);
            }
        }
        return file;
    };
    TextureContainer* rawMono = Decode(ImageFormat::Pcx, mono(false));
    TextureContainer* codedMono = Decode(ImageFormat::Pcx, mono(true));
    ASSERT_NE(rawMono, nullptr);
    ASSERT_NE(codedMono, nullptr);
    EXPECT_EQ(std::memcmp(rawMono->pPixels, codedMono->pPixels, 34 * 4), 0);
    for (DWORD x = 0; x < 17; ++x) {
        EXPECT_EQ(Pixel(codedMono, x, 1), x % 3 == 0 ? 0xFFFFFFFFu : 0x000000FFu) << x;  // top line
        EXPECT_EQ(Pixel(codedMono, x, 0), x % 3 == 1 ? 0xFFFFFFFFu : 0x000000FFu) << x;
    }
}

TEST_F(ImageFilesTest, EachRefusalNamesItsReason) {
    struct Case {
        const char* what;
        ImageFormat format;
        Bytes file;
        std::string reason;
    };
    Bytes deepPcx = PcxHeader(2, 2, 2, 1, 2, false);
    deepPcx.insert(deepPcx.end(), 4, 0);
    Bytes thinPcx = PcxHeader(1, 4, 8, 3, 2, false);
    thinPcx.insert(thinPcx.end(), 24, 0);
    Bytes flatPcx = PcxHeader(4, 1, 8, 3, 4, false);
    flatPcx.insert(flatPcx.end(), 12, 0);
    Bytes shortPcx = PcxHeader(4, 2, 8, 3, 4, true);
    shortPcx.insert(shortPcx.end(), {0xC5, 1});
    Bytes rle24Bmp = RunLengthBmp(2, 2, false, {0, 1});
    Put(rle24Bmp, 28, 24, 2);
    Bytes futurePcx = PcxHeader(2, 2, 8, 3, 2, false);
    futurePcx[1] = 6;
    futurePcx.insert(futurePcx.end(), 12, 0);
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0};
    Bytes tga = {0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0, 0, 0, 0, 0};
    const Case cases[] = {
        {"a 2-bit PCX", ImageFormat::Pcx, deepPcx, "an unsupported PCX depth (bits per pixel and planes)"},
        {"a PCX one pixel wide", ImageFormat::Pcx, thinPcx, "PCX pictures one pixel wide or high are not read"},
        {"a PCX one pixel high", ImageFormat::Pcx, flatPcx, "PCX pictures one pixel wide or high are not read"},
        {"PCX runs short", ImageFormat::Pcx, shortPcx, "run-length data damaged or ending before the picture does"},
        {"PCX version 6", ImageFormat::Pcx, futurePcx, "a PCX of an unknown version"},
        {"RLE8 at 24 bits", ImageFormat::Bmp, rle24Bmp, "an unsupported BMP compression for its depth"},
        {"a GIF named .bmp", ImageFormat::Bmp, gif, "the header is cut short or is not of its format"},
        {"TGA type 4", ImageFormat::Tga, tga, "an unsupported TGA image type"},
        {"nothing", ImageFormat::Png, Bytes{}, "the file is empty"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Fault(c.format, c.file), c.reason);
        EXPECT_EQ(Decode(c.format, c.file), nullptr);
    }
}

TEST_F(ImageFilesTest, SidesUpTo8192AndPicturesUpTo16MPixelsAreTaken) {
    // A 24-bit BMP one line high: 8192 wide is taken, 8193 refused.
    auto line = [](int width) {
        int rowBytes = (width * 3 + 3) & ~3;
        Bytes file(54 + rowBytes, 0x40);
        std::memset(file.data(), 0, 54);
        file[0] = 'B';
        file[1] = 'M';
        Put(file, 2, uint32_t(file.size()), 4);
        Put(file, 10, 54, 4);
        Put(file, 14, 40, 4);
        Put(file, 18, uint32_t(width), 4);
        Put(file, 22, 1, 4);
        Put(file, 26, 1, 2);
        Put(file, 28, 24, 2);
        return file;
    };
    TextureContainer* widest = Decode(ImageFormat::Bmp, line(8192));
    ASSERT_NE(widest, nullptr);
    EXPECT_EQ(widest->dwWidth, 8192u);
    EXPECT_EQ(Pixel(widest, 8191, 0), 0x404040FFu);
    const std::string tooLarge = "the picture is larger than 16 M pixels or 8192 pixels on a side";
    EXPECT_EQ(Fault(ImageFormat::Bmp, line(8193)), tooLarge);
    EXPECT_EQ(Decode(ImageFormat::Bmp, line(8193)), nullptr);

    // A PNG header: 4096 x 4096 and 8192 x 2048 are within, one more line is not;
    // 16 M x 1 is refused for its width.
    auto png = [](uint32_t width, uint32_t height) {
        Bytes file = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
        for (uint32_t side : {width, height})
            for (int shift = 24; shift >= 0; shift -= 8) file.push_back(uint8_t(side >> shift));
        file.insert(file.end(), {8, 2, 0, 0, 0, 0, 0, 0, 0});
        return file;
    };
    EXPECT_EQ(Fault(ImageFormat::Png, png(4096, 4096)), "");
    EXPECT_EQ(Fault(ImageFormat::Png, png(8192, 2048)), "");
    EXPECT_EQ(Fault(ImageFormat::Png, png(4096, 4097)), tooLarge);
    EXPECT_EQ(Fault(ImageFormat::Png, png(8192, 2049)), tooLarge);
    EXPECT_EQ(Fault(ImageFormat::Png, png(16u << 20, 1)), tooLarge);
    ImageHeaderVerdict claimed = CheckImageHeader(ImageFormat::Png, png(4096, 4097).data(), 33);
    EXPECT_EQ(claimed.width, 4096);
    EXPECT_EQ(claimed.height, 4097);
    EXPECT_EQ(Fault(ImageFormat::Png, png(1, 16u << 20)), tooLarge);
}

}  // namespace
