// The texture container and cache over real image files (copied from Debian's
// SDL_image and gdk-pixbuf test images, see images/LICENSE.txt) and images
// written for the test with FreeImage.
#include <FreeImage.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/archive_bytes.h"
#include "data/data_archive.h"
#include "data/memory_file.h"
#include "diag/log.h"
#include "diag/memory_counters.h"
#include "platform/ddraw/d3d.h"
#include "platform/ddraw/display_objects.h"
#include "support/engine_fixture.h"
#include "texture/texture_cache.h"
#include "texture/texture_container.h"

namespace fs = std::filesystem;

namespace {

const fs::path kImages = fs::path(VELMORA_TEXTURE_IMAGES);

// sample.* is one 23 x 42 picture; these are its pixels in the uncompressed
// BMP, stored row 0 being the bottom row.
constexpr DWORD kSampleWidth = 23, kSampleHeight = 42;
constexpr DWORD kBottomLeft = 0x627627FF, kBottomRight = 0x359832FF, kSecondRowLeft = 0x667326FF;

class TextureTest : public velmora::testing::EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        previous = fs::current_path();
        directory = velmora::testing::MakeTempDirectory();
        ASSERT_FALSE(directory.empty());
        fs::current_path(directory);
        lowTextures = 0;
    }
    void TearDown() override {
        while (textureList) delete textureList;
        lowTextures = 0;
        LoadDataArchive("");  // frees an archive a test loaded
        fs::current_path(previous);
        fs::remove_all(directory);
        EngineTest::TearDown();
    }
    void Copy(const std::string& from, const std::string& to) {
        fs::copy_file(kImages / from, fs::path(directory) / to, fs::copy_options::overwrite_existing);
    }
    // A width x height image of the given depth; pixel (x, y) of stored row
    // y gets colour(x, y) as 0xAARRGGBB, palettised images take palette entry
    // (x + y) % 4 of a fixed palette.
    void WriteImage(const std::string& name, FREE_IMAGE_FORMAT fif, int width, int height, int bits,
                    int flags = 0, int transparentIndex = -1, BYTE alphaAt = 255) {
        FIBITMAP* bitmap = FreeImage_Allocate(width, height, bits);
        ASSERT_NE(bitmap, nullptr);
        if (bits == 8) {
            RGBQUAD* palette = FreeImage_GetPalette(bitmap);
            for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
            palette[0] = RGBQUAD{0x10, 0x20, 0x30, 0};  // blue, green, red
            palette[1] = RGBQUAD{0x40, 0x50, 0x60, 0};
            palette[2] = RGBQUAD{0x70, 0x80, 0x90, 0};
            palette[3] = RGBQUAD{0xA0, 0xB0, 0xC0, 0};
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) FreeImage_GetScanLine(bitmap, y)[x] = BYTE((x + y) % 4);
            if (transparentIndex >= 0) {
                BYTE table[4] = {255, 255, 255, 255};
                table[transparentIndex] = 0;
                FreeImage_SetTransparencyTable(bitmap, table, 4);
            }
        } else {
            for (int y = 0; y < height; ++y) {
                BYTE* row = FreeImage_GetScanLine(bitmap, y);
                for (int x = 0; x < width; ++x) {
                    BYTE* p = row + x * (bits / 8);
                    p[FI_RGBA_RED] = BYTE(x * 7);
                    p[FI_RGBA_GREEN] = BYTE(y * 5);
                    p[FI_RGBA_BLUE] = BYTE(x + y);
                    if (bits == 32) p[FI_RGBA_ALPHA] = (x == 1 && y == 2) ? alphaAt : 255;
                }
            }
        }
        ASSERT_TRUE(FreeImage_Save(fif, bitmap, (fs::path(directory) / name).c_str(), flags));
        FreeImage_Unload(bitmap);
    }
    // The sample files carry the 124-byte BMP header; this writes them again
    // with the plain 40-byte one, their palette and pixels unchanged.
    void CopyBmp(const std::string& from, const std::string& to) {
        std::string d = velmora::testing::ReadFile((kImages / from).string());
        auto u32 = [&](size_t at) { uint32_t v; std::memcpy(&v, d.data() + at, 4); return v; };
        uint32_t offset = u32(10), info = u32(14);
        std::string palette = d.substr(14 + info, offset - 14 - info);
        std::string out = d.substr(0, 14) + d.substr(14, 40) + palette + d.substr(offset);
        uint32_t size = uint32_t(out.size()), newOffset = 54 + uint32_t(palette.size()), forty = 40;
        std::memcpy(out.data() + 2, &size, 4);
        std::memcpy(out.data() + 10, &newOffset, 4);
        std::memcpy(out.data() + 14, &forty, 4);
        FILE* file = std::fopen((fs::path(directory) / to).c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(out.data(), 1, out.size(), file);
        std::fclose(file);
    }
    static DWORD Pixel(const TextureContainer* texture, DWORD x, DWORD y) {
        return texture->pPixels[y * texture->dwWidth + x];
    }

    fs::path previous;
    std::string directory;
};

TEST_F(TextureTest, EachFormatDecodesTheSamplePictureBottomRowFirst) {
    for (const char* name : {"sample.bmp", "sample.tga", "sample.png", "sample.pcx"}) {
        SCOPED_TRACE(name);
        Copy(name, name);
        ASSERT_EQ(CreateTexture(name, 0, 0), 0);
        TextureContainer* texture = FindTexture(name);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(texture->dwWidth, kSampleWidth);
        EXPECT_EQ(texture->dwHeight, kSampleHeight);
        EXPECT_EQ(texture->dwSourceBits, 24u);
        EXPECT_EQ(texture->bAlpha, 0);
        EXPECT_EQ(Pixel(texture, 0, 0), kBottomLeft);
        EXPECT_EQ(Pixel(texture, 22, 0), kBottomRight);
        EXPECT_EQ(Pixel(texture, 0, 1), kSecondRowLeft);
    }
    // Every lossless format gives the same words throughout, so rows are
    // stepped by the decoder's pitch at this odd width.
    TextureContainer* reference = FindTexture("sample.bmp");
    for (const char* name : {"sample.tga", "sample.png", "sample.pcx"}) {
        TextureContainer* texture = FindTexture(name);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(std::memcmp(texture->pPixels, reference->pPixels, kSampleWidth * kSampleHeight * 4), 0)
            << name;
    }
    EXPECT_EQ(textureAllocationCounter, 4);
    EXPECT_EQ(textureMemoryCounter, int32_t(4 * kSampleWidth * kSampleHeight * 4));
}

TEST_F(TextureTest, JpegIsCloseToTheLosslessPictureAndNeverHasAlpha) {
    Copy("sample.jpg", "sample.jpg");
    Copy("sample.bmp", "sample.bmp");
    ASSERT_EQ(CreateTexture("sample.jpg", 0, 0), 0);
    ASSERT_EQ(CreateTexture("sample.bmp", 0, 0), 0);
    TextureContainer* jpeg = FindTexture("sample.jpg");
    TextureContainer* bmp = FindTexture("sample.bmp");
    EXPECT_EQ(jpeg->bAlpha, 0);
    EXPECT_EQ(jpeg->dwSourceBits, 24u);
    long total = 0;
    for (DWORD i = 0; i < kSampleWidth * kSampleHeight; ++i) {
        EXPECT_EQ(jpeg->pPixels[i] & 255, 255u);
        for (int shift = 8; shift < 32; shift += 8)
            total += std::abs(int((jpeg->pPixels[i] >> shift) & 255) - int((bmp->pPixels[i] >> shift) & 255));
    }
    EXPECT_LT(total / double(kSampleWidth * kSampleHeight * 3), 20.0);
}

TEST_F(TextureTest, PalettisedImagesComeOutInTrueColourWithTheirPaletteColours) {
    Copy("palette.bmp", "palette.bmp");
    ASSERT_EQ(CreateTexture("palette.bmp", 0, 0), 0);
    TextureContainer* texture = FindTexture("palette.bmp");
    EXPECT_EQ(texture->dwSourceBits, 24u);
    EXPECT_EQ(texture->bAlpha, 0);
    EXPECT_EQ(texture->dwWidth, kSampleWidth);
    EXPECT_EQ(texture->dwHeight, kSampleHeight);
    // The file carries the 124-byte header of today's editors: it decodes to
    // the pixels of the same file written with the plain 40-byte header.
    CopyBmp("palette.bmp", "short.bmp");
    ASSERT_EQ(CreateTexture("short.bmp", 0, 0), 0);
    TextureContainer* plain = FindTexture("short.bmp");
    EXPECT_EQ(std::memcmp(plain->pPixels, texture->pPixels, kSampleWidth * kSampleHeight * 4), 0);

    // Palettised PNG, TGA and BMP written here, odd width: colour of entry (x + y) % 4.
    const DWORD entries[4] = {0x302010FF, 0x605040FF, 0x908070FF, 0xC0B0A0FF};
    WriteImage("pal.png", FIF_PNG, 5, 3, 8);
    WriteImage("pal.tga", FIF_TARGA, 5, 3, 8);
    WriteImage("pal8.bmp", FIF_BMP, 5, 3, 8);
    for (const char* name : {"pal.png", "pal.tga", "pal8.bmp"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(CreateTexture(name, 0, 0), 0);
        TextureContainer* made = FindTexture(name);
        EXPECT_EQ(made->dwSourceBits, 24u);
        EXPECT_EQ(made->bAlpha, 0);
        for (DWORD y = 0; y < 3; ++y)
            for (DWORD x = 0; x < 5; ++x) EXPECT_EQ(Pixel(made, x, y), entries[(x + y) % 4]);
    }
    // A transparent palette entry gives alpha 0 there and a 32-bit record.
    WriteImage("clear.png", FIF_PNG, 5, 3, 8, 0, 2);
    ASSERT_EQ(CreateTexture("clear.png", 0, 0), 0);
    TextureContainer* clear = FindTexture("clear.png");
    EXPECT_EQ(clear->bAlpha, 1);
    EXPECT_EQ(clear->dwSourceBits, 32u);
    EXPECT_EQ(Pixel(clear, 2, 0), 0x90807000u);
    EXPECT_EQ(Pixel(clear, 0, 0), 0x302010FFu);
}

TEST_F(TextureTest, BitFieldBmpWithTheLongHeaderKeepsItsMasks) {
    // 2 x 2 at 16 bits, 5-6-5 masks, the 124-byte header: red and green in
    // the bottom row, blue and white above.
    std::vector<uint8_t> file(14 + 124 + 8, 0);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = uint8_t(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, uint32_t(file.size()), 4);
    put(10, 14 + 124, 4);
    put(14, 124, 4);
    put(18, 2, 4);
    put(22, 2, 4);
    put(26, 1, 2);
    put(28, 16, 2);
    put(30, 3, 4);  // bit fields
    put(54, 0xF800, 4);
    put(58, 0x07E0, 4);
    put(62, 0x001F, 4);
    const uint16_t pixels[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    for (int i = 0; i < 4; ++i) put(138 + 2 * i, pixels[i], 2);
    std::ofstream(fs::path(directory) / "fields.bmp", std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    ASSERT_EQ(CreateTexture("fields.bmp", 0, 0), 0);
    TextureContainer* texture = FindTexture("fields.bmp");
    ASSERT_EQ(texture->dwWidth, 2u);
    EXPECT_EQ(Pixel(texture, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(Pixel(texture, 1, 0), 0x00FF00FFu);
    EXPECT_EQ(Pixel(texture, 0, 1), 0x0000FFFFu);
    EXPECT_EQ(Pixel(texture, 1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(texture->bAlpha, 0);
}

// A 1 x 2 BMP of 32 bits: the info header of infoSize bytes, the compression,
// the masks written after the 40 bytes (red, green, blue, then alpha where the
// header holds one), two pixel words.
std::vector<uint8_t> Bmp32(uint32_t infoSize, uint32_t compression, std::vector<uint32_t> masks,
                           uint32_t bottom, uint32_t top) {
    size_t maskBytes = infoSize == 40 && compression == 3 ? 12 : 0;
    std::vector<uint8_t> file(14 + infoSize + maskBytes + 8, 0);
    auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file[at + i] = uint8_t(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, uint32_t(file.size()), 4);
    put(10, uint32_t(14 + infoSize + maskBytes), 4);
    put(14, infoSize, 4);
    put(18, 1, 4);
    put(22, 2, 4);
    put(26, 1, 2);
    put(28, 32, 2);
    put(30, compression, 4);
    for (size_t i = 0; i < masks.size(); ++i) put(54 + 4 * i, masks[i], 4);
    put(file.size() - 8, bottom, 4);
    put(file.size() - 4, top, 4);
    return file;
}

TEST_F(TextureTest, ThirtyTwoBitBmpCarriesAlphaOnlyWhereItsHeaderNamesAnAlphaMask) {
    auto load = [&](const std::vector<uint8_t>& file) -> TextureContainer* {
        DeleteTexture("deep.bmp");
        std::ofstream(fs::path(directory) / "deep.bmp", std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
        if (CreateTexture("deep.bmp", 0, 0) != 0) return nullptr;
        return FindTexture("deep.bmp");
    };
    // Plain: blue, green, red and an unused byte, which writers leave at 0.
    TextureContainer* plain = load(Bmp32(40, 0, {}, 0x00112233, 0x00445566));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->bAlpha, 0);
    EXPECT_EQ(Pixel(plain, 0, 0), 0x112233FFu);
    EXPECT_EQ(Pixel(plain, 0, 1), 0x445566FFu);
    // Bit fields without an alpha mask, in red-green-blue-unused byte order.
    TextureContainer* fields = load(Bmp32(40, 3, {0x000000FF, 0x0000FF00, 0x00FF0000}, 0x7F332211, 0x00665544));
    ASSERT_NE(fields, nullptr);
    EXPECT_EQ(fields->bAlpha, 0);
    EXPECT_EQ(Pixel(fields, 0, 0), 0x112233FFu);
    EXPECT_EQ(Pixel(fields, 0, 1), 0x445566FFu);
    // The 124-byte header with masks of 10 bits and 2 bits of alpha on top.
    TextureContainer* wide = load(Bmp32(124, 3, {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
                                        0xFFFFFFFF, 0x40000000 | 0x3FF00000 | 0x200 ));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->bAlpha, 1);
    EXPECT_EQ(Pixel(wide, 0, 0), 0xFFFFFFFFu);
    EXPECT_NEAR(int(Pixel(wide, 0, 1) & 255), 85, 1);
    EXPECT_EQ(Pixel(wide, 0, 1) >> 8, 0xFF0080u);
    // The 108-byte header names an alpha mask even for a plain file.
    TextureContainer* named = load(Bmp32(108, 0, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000},
                                         0x80112233, 0xFF445566));
    ASSERT_NE(named, nullptr);
    EXPECT_EQ(named->bAlpha, 1);
    EXPECT_EQ(Pixel(named, 0, 0), 0x11223380u);
    EXPECT_EQ(Pixel(named, 0, 1), 0x445566FFu);
    // The same header with an alpha mask of 0: opaque, the fourth byte unused.
    TextureContainer* unnamed = load(Bmp32(108, 3, {0x00FF0000, 0x0000FF00, 0x000000FF, 0}, 0x00112233, 0));
    ASSERT_NE(unnamed, nullptr);
    EXPECT_EQ(unnamed->bAlpha, 0);
    EXPECT_EQ(Pixel(unnamed, 0, 0), 0x112233FFu);
}

TEST_F(TextureTest, GreyscaleJpegAndColourMappedRunLengthTga) {
    FIBITMAP* grey = FreeImage_Allocate(7, 5, 8);
    RGBQUAD* palette = FreeImage_GetPalette(grey);
    for (int i = 0; i < 256; ++i) palette[i] = RGBQUAD{BYTE(i), BYTE(i), BYTE(i), 0};
    for (int y = 0; y < 5; ++y) std::memset(FreeImage_GetScanLine(grey, y), 40 * y, 7);
    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, grey, "grey.jpg", JPEG_QUALITYSUPERB));
    FreeImage_Unload(grey);
    ASSERT_EQ(CreateTexture("grey.jpg", 0, 0), 0);
    TextureContainer* texture = FindTexture("grey.jpg");
    EXPECT_EQ(texture->dwSourceBits, 24u);
    DWORD row4 = Pixel(texture, 3, 4);
    EXPECT_NEAR(int(row4 >> 24), 160, 6);
    EXPECT_EQ((row4 >> 24) & 255, (row4 >> 16) & 255);
    EXPECT_EQ(row4 & 255, 255u);

    // A colour-mapped run-length file comes out in true colour.
    Copy("gtk-logo-cmap-rle-8bpp-bottom-left.tga", "logo.tga");
    ASSERT_EQ(CreateTexture("logo.tga", 0, 0), 0);
    TextureContainer* mapped = FindTexture("logo.tga");
    EXPECT_EQ(mapped->dwSourceBits, 24u);
    EXPECT_EQ(mapped->dwWidth, 48u);
    EXPECT_EQ(mapped->dwHeight, 48u);
}

// Stored row 0 of a TGA texture is the first row in the file, whatever the
// file's origin bit says: a picture stored from the top comes out upside
// down against the same picture stored from the bottom.
TEST_F(TextureTest, TgaRowsKeepTheFileOrderWhateverTheOriginBit) {
    Copy("gtk-logo-cmap-rle-8bpp-bottom-left.tga", "mapped_bottom.tga");
    Copy("gtk-logo-cmap-8bpp-top-left.tga", "mapped_top.tga");
    Copy("gtk-logo-24bpp-top-left.tga", "plain_top.tga");
    Copy("gtk-logo-24bpp-bottom-left.tga", "plain_bottom.tga");
    for (const char* name : {"mapped_bottom.tga", "mapped_top.tga", "plain_top.tga", "plain_bottom.tga"})
        ASSERT_EQ(CreateTexture(name, 0, 0), 0) << name;
    auto upsideDown = [](const TextureContainer* a, const TextureContainer* b) {
        for (DWORD y = 0; y < a->dwHeight; ++y)
            if (std::memcmp(a->pPixels + y * a->dwWidth, b->pPixels + (b->dwHeight - 1 - y) * b->dwWidth,
                            a->dwWidth * 4) != 0)
                return false;
        return true;
    };
    EXPECT_TRUE(upsideDown(FindTexture("mapped_bottom.tga"), FindTexture("mapped_top.tga")));
    EXPECT_TRUE(upsideDown(FindTexture("plain_bottom.tga"), FindTexture("plain_top.tga")));
    EXPECT_FALSE(upsideDown(FindTexture("plain_bottom.tga"), FindTexture("plain_bottom.tga")));  // not symmetric

    // 1 x 2 at 24 bits: the file's first pixel is red, its second blue; the
    // origin bit set or not, run-length or not, red is stored row 0.
    for (uint8_t type : {2, 10})
        for (uint8_t descriptor : {0x00, 0x20}) {
            SCOPED_TRACE(testing::Message() << "type " << int(type) << " descriptor " << int(descriptor));
            std::vector<uint8_t> file = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 2, 0, 24, descriptor};
            std::vector<uint8_t> body = {0, 0, 255, 255, 0, 0};
            if (type == 10) body = {0x00, 0, 0, 255, 0x00, 255, 0, 0};
            file.insert(file.end(), body.begin(), body.end());
            std::ofstream(fs::path(directory) / "two.tga", std::ios::binary)
                .write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
            ASSERT_EQ(CreateTexture("two.tga", 0, 0), 0);
            TextureContainer* texture = FindTexture("two.tga");
            EXPECT_EQ(Pixel(texture, 0, 0), 0xFF0000FFu);
            EXPECT_EQ(Pixel(texture, 0, 1), 0x0000FFFFu);
            DeleteTexture("two.tga");
        }
}

// A 256-colour PCX keeps its palette at the end of the file, which the decoder
// reaches by a seek from the end.
TEST_F(TextureTest, PalettisedPcxTakesItsColoursFromTheEndOfTheFile) {
    std::string file(128, '\0');
    file[0] = 0x0A;  // maker
    file[1] = 5;     // version
    file[2] = 1;     // run-length
    file[3] = 8;     // bits per pixel
    file[8] = 2;     // right edge: 3 wide
    file[10] = 1;    // bottom edge: 2 high
    file[65] = 1;    // planes
    file[66] = 4;    // bytes per line (even)
    file += std::string("\x01\x02\x03\x00", 4);  // top row: entries 1 2 3
    file += std::string("\xC2\x03\x00\x00", 4);  // bottom row: 3 3 0
    std::string palette(768, '\0');
    const unsigned char colours[4][3] = {{9, 8, 7}, {0x10, 0x20, 0x30}, {0x40, 0x50, 0x60}, {0x70, 0x80, 0x90}};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c) palette[i * 3 + c] = char(colours[i][c]);
    file += '\x0C' + palette;
    FILE* out = std::fopen("pal.pcx", "wb");
    std::fwrite(file.data(), 1, file.size(), out);
    std::fclose(out);
    ASSERT_EQ(CreateTexture("pal.pcx", 0, 0), 0);
    TextureContainer* texture = FindTexture("pal.pcx");
    ASSERT_EQ(texture->dwWidth, 3u);
    ASSERT_EQ(texture->dwHeight, 2u);
    EXPECT_EQ(texture->dwSourceBits, 24u);
    EXPECT_EQ(texture->bAlpha, 0);
    // Stored row 0 is the bottom row of the picture.
    EXPECT_EQ(Pixel(texture, 0, 0), 0x708090FFu);
    EXPECT_EQ(Pixel(texture, 2, 0), 0x090807FFu);
    EXPECT_EQ(Pixel(texture, 0, 1), 0x102030FFu);
    EXPECT_EQ(Pixel(texture, 2, 1), 0x708090FFu);
}

TEST_F(TextureTest, AlphaIsSetOnlyForAPixelBelowFull) {
    WriteImage("rgb.png", FIF_PNG, 6, 3, 24);
    WriteImage("rgb.tga", FIF_TARGA, 6, 3, 24);
    WriteImage("opaque.png", FIF_PNG, 6, 3, 32);
    WriteImage("opaque.tga", FIF_TARGA, 6, 3, 32);
    WriteImage("almost.png", FIF_PNG, 6, 3, 32, 0, -1, 254);
    WriteImage("almost.tga", FIF_TARGA, 6, 3, 32, 0, -1, 254);
    WriteImage("almost.bmp", FIF_BMP, 6, 3, 32, 0, -1, 254);
    struct Case {
        const char* name;
        BOOL alpha;
        DWORD bits;
    } cases[] = {{"rgb.png", 0, 24},    {"rgb.tga", 0, 24},    {"opaque.png", 0, 0}, {"opaque.tga", 0, 32},
                 {"almost.png", 1, 32}, {"almost.tga", 1, 32},
                 // FreeImage writes 32-bit BMPs as plain ones, whose fourth byte is no alpha
                 {"almost.bmp", 0, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(CreateTexture(c.name, 0, 0), 0);
        EXPECT_EQ(TextureHasAlpha(c.name), c.alpha);
        TextureContainer* texture = FindTexture(c.name);
        // (the PNG writer stores a wholly opaque image without its alpha channel)
        if (c.bits) {
            EXPECT_EQ(texture->dwSourceBits, c.bits);
        }
        // Pixel (5, 2): red 35, green 10, blue 7.
        EXPECT_EQ(Pixel(texture, 5, 2) >> 8, 0x230A07u);
        EXPECT_EQ(Pixel(texture, 1, 2) & 255, c.alpha ? 254u : 255u);
    }
    Copy("gtk-logo-32bpp-top-left.tga", "logo32.tga");
    ASSERT_EQ(CreateTexture("logo32.tga", 0, 0), 0);
    EXPECT_EQ(TextureHasAlpha("logo32.tga"), 1);
}

TEST_F(TextureTest, NamesAndExtensionsThatAreNotLoaded) {
    Copy("sample.bmp", "Wall.BMP");
    ASSERT_EQ(CreateTexture("Wall.BMP", 0, 0), 0);
    EXPECT_EQ(FindTexture("Wall.BMP")->dwWidth, kSampleWidth);
    for (const char* name : {"wall.jpeg", "wall", "wall.gif"}) {
        EXPECT_EQ(CreateTexture(name, 0, 0), E_FAIL) << name;
        EXPECT_EQ(FindTexture(name), nullptr);
        TextureContainer texture(name, 0);  // linked into the list until it goes
        EXPECT_EQ(texture.LoadImageData(), E_NOTIMPL) << name;
    }
    // A file of the right extension holding another format, and a missing file.
    Copy("sample.png", "fake.bmp");
    EXPECT_EQ(CreateTexture("fake.bmp", 0, 0), E_FAIL);
    EXPECT_EQ(CreateTexture("absent.png", 0, 0), E_FAIL);
    EXPECT_EQ(CreateTexture(nullptr, 0, 0), E_INVALIDARG);
    // 79 characters fit strName (80 characters, zero-terminated) whole.
    std::string longest = std::string(75, 'a') + ".bmp";
    Copy("sample.bmp", longest);
    EXPECT_EQ(CreateTexture(longest.c_str(), 0, 0), 0);
    ASSERT_NE(FindTexture(longest.c_str()), nullptr);
    EXPECT_EQ(std::string(FindTexture(longest.c_str())->strName), longest);
    EXPECT_EQ(FindTexture(longest.c_str())->strName[79], '\0');
    // 80 are refused, not cut to the 79 that would name the file above.
    std::string tooLong = longest + "x";
    ASSERT_EQ(tooLong.size(), 80u);
    EXPECT_EQ(CreateTexture(tooLong.c_str(), 0, 0), E_FAIL);
    EXPECT_EQ(FindTexture(tooLong.c_str()), nullptr);
    std::string tooLongFile = std::string(76, 'b') + ".bmp";
    Copy("sample.bmp", tooLongFile);
    EXPECT_EQ(CreateTexture(tooLongFile.c_str(), 0, 0), E_FAIL);
    EXPECT_EQ(FindTexture(tooLongFile.c_str()), nullptr);
    // Only the two good textures are left in the list.
    int count = 0;
    for (TextureContainer* t = textureList; t; t = t->pNext) ++count;
    EXPECT_EQ(count, 2);
}

TEST_F(TextureTest, LowTexturesPreferTheFileEndingIn256) {
    Copy("sample.bmp", "wall_256.jpg");
    WriteImage("wall.JPG", FIF_JPEG, 8, 8, 24);
    WriteImage("wall_256.jpg", FIF_JPEG, 4, 2, 24);
    lowTextures = 1;
    ASSERT_EQ(CreateTexture("wall.JPG", 0, 0), 0);
    EXPECT_EQ(FindTexture("wall.JPG")->dwWidth, 4u);
    EXPECT_STREQ(FindTexture("wall.JPG")->strName, "wall.JPG");
    WriteImage("door.png", FIF_PNG, 8, 8, 24);
    ASSERT_EQ(CreateTexture("door.png", 0, 0), 0);
    EXPECT_EQ(FindTexture("door.png")->dwWidth, 8u);
    DeleteTexture("wall.JPG");
    lowTextures = 0;
    ASSERT_EQ(CreateTexture("wall.jpg", 0, 0), 0);
    EXPECT_EQ(FindTexture("wall.jpg")->dwWidth, 8u);
}

// A low-detail candidate missing from the archive is looked for on disk the
// way every file is: the archive's "not found" line comes first, then the
// normal file (here from the archive) is decoded.
TEST_F(TextureTest, LowTexturesLogTheCandidateMissingFromTheArchive) {
    WriteImage("wall.png", FIF_PNG, 8, 4, 24);
    std::string png = velmora::testing::ReadFile(directory + "/wall.png");
    fs::remove("wall.png");
    velmora::testing::WriteFile("SHOW.QXD", velmora::testing::PackedArchive({{"wall.png", png}}));
    LoadDataArchive("SHOW.QXD");
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s/", directory.c_str());
    logEnabled = 1;
    lowTextures = 1;
    ASSERT_EQ(CreateTexture("wall.png", 0, 0), 0);
    EXPECT_EQ(FindTexture("wall.png")->dwWidth, 8u);
    EXPECT_EQ(velmora::testing::ReadFile(directory + "/Log.TXT"),
              "ERROR:\t\twall_256.png\tfile not found in datafile\r\n\r\n");
    // A candidate on disk is taken after the same line.
    WriteImage("door_256.png", FIF_PNG, 2, 2, 24);
    velmora::testing::WriteFile("Log.TXT", "");
    WriteImage("door.png", FIF_PNG, 6, 6, 24);
    ASSERT_EQ(CreateTexture("door.png", 0, 0), 0);
    EXPECT_EQ(FindTexture("door.png")->dwWidth, 2u);
    EXPECT_EQ(velmora::testing::ReadFile(directory + "/Log.TXT"),
              "ERROR:\t\tdoor_256.png\tfile not found in datafile\r\n\r\n"
              "ERROR:\t\tdoor_256.png\tfile not found in datafile\r\n\r\n");
}

TEST_F(TextureTest, CacheSharesOneTexturePerNameWhateverItsCase) {
    WriteImage("a.jpg", FIF_JPEG, 4, 4, 24);
    ASSERT_EQ(CreateTexture("a.jpg", 0, 0), 0);
    TextureContainer* first = FindTexture("a.jpg");
    fs::remove("a.jpg");  // a second decode would now fail
    EXPECT_EQ(CreateTexture("a.jpg", 0, 0), 0);
    EXPECT_EQ(CreateTexture("A.JPG", 0, 0), 0);
    EXPECT_EQ(FindTexture("a.Jpg"), first);
    EXPECT_EQ(first->pNext, nullptr);
    EXPECT_EQ(textureAllocationCounter, 1);

    // A missing file is not kept, and is tried again later.
    EXPECT_EQ(CreateTexture("b.png", 0, 0), E_FAIL);
    EXPECT_EQ(FindTexture("b.png"), nullptr);
    EXPECT_EQ(textureList, first);
    WriteImage("b.png", FIF_PNG, 3, 3, 24);
    EXPECT_EQ(CreateTexture("b.png", 0, 0), 0);
    EXPECT_EQ(textureList, FindTexture("B.PNG"));  // the newest first
    EXPECT_EQ(textureList->pNext, first);

    // Deleting unlinks from the middle and from the head; a missing name is no error.
    WriteImage("c.png", FIF_PNG, 3, 3, 24);
    ASSERT_EQ(CreateTexture("c.png", 0, 0), 0);
    EXPECT_EQ(DeleteTexture("B.png"), 0);
    EXPECT_EQ(textureList->pNext, first);
    EXPECT_EQ(DeleteTexture("c.PNG"), 0);
    EXPECT_EQ(textureList, first);
    EXPECT_EQ(DeleteTexture("c.png"), 0);
    EXPECT_EQ(DeleteTexture(nullptr), 0);
    // Counters never go down.
    EXPECT_EQ(textureAllocationCounter, 3);

    EXPECT_EQ(RestoreTexture("none.png", nullptr), TEXTURE_NOT_FOUND);
    EXPECT_EQ(ReleaseTextureSurface("none.png"), TEXTURE_NOT_FOUND);
    EXPECT_EQ(GetTextureSurface("none.png"), nullptr);
    EXPECT_EQ(TextureHasAlpha("none.png"), 0);
    EXPECT_EQ(RestoreTexture("a.jpg", nullptr), E_INVALIDARG);
}

TEST_F(TextureTest, RunLengthTgaDecodesLikeItsUncompressedTwin) {
    // 3 x 2 at 24 bits: a run of two, a raw packet of three that crosses into
    // the second row, and a last run of five that reaches past the picture.
    auto file = [](uint8_t type, const std::vector<uint8_t>& body) {
        std::vector<uint8_t> bytes = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 2, 0, 24, 0};
        bytes.insert(bytes.end(), body.begin(), body.end());
        return bytes;
    };
    const std::vector<uint8_t> runs = {0x81, 10, 20, 30, 0x02, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x84, 40, 50, 60};
    const std::vector<uint8_t> raw = {10, 20, 30, 10, 20, 30, 1, 2, 3, 4, 5, 6, 7, 8, 9, 40, 50, 60};
    auto write = [&](const char* name, const std::vector<uint8_t>& bytes) {
        std::ofstream(fs::path(directory) / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    };
    write("runs.tga", file(10, runs));
    write("raw.tga", file(2, raw));
    ASSERT_EQ(CreateTexture("runs.tga", 0, 0), 0);
    ASSERT_EQ(CreateTexture("raw.tga", 0, 0), 0);
    TextureContainer* expanded = FindTexture("runs.tga");
    TextureContainer* plain = FindTexture("raw.tga");
    EXPECT_EQ(std::memcmp(expanded->pPixels, plain->pPixels, 6 * 4), 0);
    EXPECT_EQ(Pixel(expanded, 0, 0), 0x1E140AFFu);  // stored blue, green, red
    EXPECT_EQ(Pixel(expanded, 2, 1), 0x3C3228FFu);
    // Runs that stop one pixel short are refused.
    std::vector<uint8_t> shortRuns(runs.begin(), runs.end() - 4);
    write("short.tga", file(10, shortRuns));
    EXPECT_EQ(CreateTexture("short.tga", 0, 0), E_FAIL);
}

TEST_F(TextureTest, MalformedFilesFailWithoutACrash) {
    for (const auto& entry : fs::directory_iterator(kImages / "malformed")) {
        std::string name = entry.path().filename().string();
        SCOPED_TRACE(name);
        Copy("malformed/" + name, name);
        EXPECT_EQ(CreateTexture(name.c_str(), 0, 0), E_FAIL);
        EXPECT_EQ(FindTexture(name.c_str()), nullptr);
    }
    EXPECT_EQ(textureAllocationCounter, 0);
}

// Bytes of a real image changed in one header field each.
TEST_F(TextureTest, HeadersThatDisagreeWithTheirDataAreRefused) {
    auto bytes = [](const std::string& name) {
        std::string data = velmora::testing::ReadFile((kImages / name).string());
        return std::vector<uint8_t>(data.begin(), data.end());
    };
    auto sound = [](ImageFormat format, std::vector<uint8_t> data) {
        return ImageHeaderIsSound(format, data.data(), int64_t(data.size()));
    };
    std::vector<uint8_t> bmp = bytes("sample.bmp"), tga = bytes("sample.tga"), pcx = bytes("sample.pcx");
    std::vector<uint8_t> png = bytes("sample.png"), jpg = bytes("sample.jpg"), pal = bytes("palette.bmp");
    EXPECT_TRUE(sound(ImageFormat::Bmp, bmp));
    EXPECT_TRUE(sound(ImageFormat::Bmp, pal));
    EXPECT_TRUE(sound(ImageFormat::Tga, tga));
    EXPECT_TRUE(sound(ImageFormat::Pcx, pcx));
    EXPECT_TRUE(sound(ImageFormat::Png, png));
    EXPECT_TRUE(sound(ImageFormat::Jpg, jpg));
    auto changed = [](std::vector<uint8_t> data, size_t at, std::vector<uint8_t> value) {
        std::memcpy(data.data() + at, value.data(), value.size());
        return data;
    };
    std::vector<uint8_t> cut(bmp.begin(), bmp.end() - 10);
    EXPECT_FALSE(sound(ImageFormat::Bmp, cut));                                 // rows past the end
    EXPECT_FALSE(sound(ImageFormat::Bmp, changed(bmp, 28, {7, 0})));            // 7 bits per pixel
    EXPECT_FALSE(sound(ImageFormat::Bmp, changed(bmp, 30, {1, 0, 0, 0})));      // RLE8 at 24 bits
    EXPECT_FALSE(sound(ImageFormat::Bmp, changed(bmp, 18, {0, 0x40, 0, 0})));   // 16384 x 42 past the end
    EXPECT_FALSE(sound(ImageFormat::Bmp, changed(pal, 46, {0, 2, 0, 0})));      // 512 colours at 8 bits
    EXPECT_FALSE(sound(ImageFormat::Bmp, changed(bmp, 10, {0xFF, 0xFF, 0, 0})));  // data past the end
    // Run-length data that ends before the picture does.
    EXPECT_FALSE(sound(ImageFormat::Tga, std::vector<uint8_t>(tga.begin(), tga.begin() + 600)));
    EXPECT_FALSE(sound(ImageFormat::Pcx, std::vector<uint8_t>(pcx.begin(), pcx.begin() + 600)));
    EXPECT_FALSE(sound(ImageFormat::Tga, changed(tga, 16, {12})));              // 12 bits per pixel
    EXPECT_FALSE(sound(ImageFormat::Tga, changed(tga, 12, {0, 0x20, 0, 0x20})));  // 8192 x 8192
    EXPECT_FALSE(sound(ImageFormat::Tga, changed(tga, 1, {1})));                // map of no entry size
    EXPECT_FALSE(sound(ImageFormat::Tga, changed(tga, 2, {1})));                // colour-mapped without a map
    EXPECT_FALSE(sound(ImageFormat::Pcx, changed(pcx, 0, {0x0B})));
    EXPECT_FALSE(sound(ImageFormat::Pcx, changed(pcx, 4, {30, 0})));            // left edge right of the right
    EXPECT_FALSE(sound(ImageFormat::Pcx, changed(pcx, 66, {2, 0})));            // lines shorter than the width
    EXPECT_FALSE(sound(ImageFormat::Pcx, changed(pcx, 65, {2})));               // two planes
    EXPECT_FALSE(sound(ImageFormat::Png, changed(png, 16, {0, 0x10, 0, 0})));   // over 64 MiB
    EXPECT_FALSE(sound(ImageFormat::Png, changed(png, 16, {0, 0, 0, 0})));      // no width
    // Sides whose product passes 64 bits (found by the fuzz target).
    EXPECT_FALSE(sound(ImageFormat::Png, changed(png, 16, {0xB5, 0xF5, 0x51, 0x2E, 0xEE, 0xA1, 0xEA, 0x72})));
    EXPECT_FALSE(sound(ImageFormat::Jpg, std::vector<uint8_t>(jpg.begin(), jpg.begin() + 20)));
}

TEST(TextureConversion, ShiftsAndMasksOfTheSurfaceFormat) {
    DDPIXELFORMAT r565{};
    r565.dwFlags = DDPF_RGB;
    r565.dwRGBBitCount = 16;
    r565.dwRBitMask = 0xF800;
    r565.dwGBitMask = 0x07E0;
    r565.dwBBitMask = 0x001F;
    EXPECT_EQ(ConvertPixelWord(0xFF804000, r565), 0xFC08u);
    DDPIXELFORMAT argb4{r565};
    argb4.dwFlags |= DDPF_ALPHAPIXELS;
    argb4.dwRBitMask = 0x0F00;
    argb4.dwGBitMask = 0x00F0;
    argb4.dwBBitMask = 0x000F;
    argb4.dwRGBAlphaBitMask = 0xF000;
    EXPECT_EQ(ConvertPixelWord(0xFF804080, argb4), 0x8F84u);
    DDPIXELFORMAT argb8{r565};
    argb8.dwRGBBitCount = 32;
    argb8.dwRBitMask = 0x00FF0000;
    argb8.dwGBitMask = 0x0000FF00;
    argb8.dwBBitMask = 0x000000FF;
    argb8.dwRGBAlphaBitMask = 0xFF000000;
    EXPECT_EQ(ConvertPixelWord(0x12345678, argb8), 0x78123456u);
}

TEST(TextureSurfaceSizes, PowerOfTwoMaximumAndSquareRules) {
    D3DDEVICEDESC7 caps{};
    DWORD w = 0, h = 0;
    caps.dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_POW2;
    caps.dwMaxTextureWidth = caps.dwMaxTextureHeight = 0;  // no maximum: 256
    TextureSurfaceSize(caps, 100, 60, &w, &h);
    EXPECT_EQ(w, 128u);
    EXPECT_EQ(h, 64u);
    caps.dwMaxTextureWidth = caps.dwMaxTextureHeight = 64;
    TextureSurfaceSize(caps, 100, 60, &w, &h);
    EXPECT_EQ(w, 64u);
    EXPECT_EQ(h, 64u);
    caps.dpcTriCaps.dwTextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
    TextureSurfaceSize(caps, 100, 60, &w, &h);
    EXPECT_EQ(w, 64u);
    EXPECT_EQ(h, 64u);
    caps.dpcTriCaps.dwTextureCaps = D3DPTEXTURECAPS_SQUAREONLY;
    caps.dwMaxTextureWidth = caps.dwMaxTextureHeight = 0;
    TextureSurfaceSize(caps, 300, 20, &w, &h);
    EXPECT_EQ(w, 256u);
    EXPECT_EQ(h, 256u);
    caps.dpcTriCaps.dwTextureCaps = 0;
    caps.dwMaxTextureWidth = caps.dwMaxTextureHeight = 4096;
    TextureSurfaceSize(caps, 23, 42, &w, &h);
    EXPECT_EQ(w, 23u);
    EXPECT_EQ(h, 42u);
}

// Runs the callback over formats the way EnumTextureFormats would.
DDPIXELFORMAT Format(DWORD flags, DWORD bits, DWORD r, DWORD g, DWORD b, DWORD a, DWORD fourCC = 0) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof format;
    format.dwFlags = flags | (a ? DDPF_ALPHAPIXELS : 0);
    format.dwFourCC = fourCC;
    format.dwRGBBitCount = bits;
    format.dwRBitMask = r;
    format.dwGBitMask = g;
    format.dwBBitMask = b;
    format.dwRGBAlphaBitMask = a;
    return format;
}

int Choose(std::vector<DDPIXELFORMAT> formats, DWORD bits, BOOL alpha, BOOL palette) {
    DDPIXELFORMAT chosen{};
    TextureSearchInfo info{bits, alpha, palette, FALSE, &chosen};
    for (size_t i = 0; i < formats.size(); ++i)
        if (TextureSearchCallback(&formats[i], &info) == DDENUMRET_CANCEL)
            return info.bFoundGoodFormat && std::memcmp(&chosen, &formats[i], sizeof chosen) == 0 ? int(i) : -2;
    return -1;
}

TEST(TextureFormatChoice, FirstMatchingFormatInEnumerationOrder) {
    std::vector<DDPIXELFORMAT> formats = {
        Format(DDPF_LUMINANCE, 32, 0xFF, 0, 0, 0),                        // 0 skipped: luminance
        Format(DDPF_BUMPDUDV, 32, 0xFF, 0xFF00, 0, 0),                    // 1 skipped: bump
        Format(DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0),           // 2 palettised
        Format(DDPF_RGB, 16, 0x0F00, 0x00F0, 0x000F, 0xF000),             // 3 4-4-4-4: skipped
        Format(DDPF_RGB, 16, 0x7C00, 0x03E0, 0x001F, 0x8000),             // 4 1-5-5-5
        Format(DDPF_RGB, 16, 0xF800, 0x07E0, 0x001F, 0),                  // 5 5-6-5
        Format(DDPF_FOURCC, 32, 0, 0, 0, 0, 0x31545844),                  // 6 FourCC
        Format(DDPF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0),                  // 7 X8R8G8B8
        Format(DDPF_RGB, 32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000),         // 8 A8R8G8B8
    };
    EXPECT_EQ(Choose(formats, 32, FALSE, FALSE), 7);
    EXPECT_EQ(Choose(formats, 32, TRUE, FALSE), 8);
    EXPECT_EQ(Choose(formats, 16, FALSE, FALSE), 5);
    EXPECT_EQ(Choose(formats, 16, TRUE, FALSE), 4);
    EXPECT_EQ(Choose(formats, 8, FALSE, TRUE), 2);
    // Without 32-bit formats a 24-bit image finds nothing at 32 and its retry takes 5-6-5.
    std::vector<DDPIXELFORMAT> small(formats.begin(), formats.begin() + 6);
    EXPECT_EQ(Choose(small, 32, FALSE, FALSE), -1);
    EXPECT_EQ(Choose(small, 16, FALSE, FALSE), 5);
    TextureSearchInfo info{32, FALSE, FALSE, FALSE, nullptr};
    EXPECT_EQ(TextureSearchCallback(nullptr, &info), DDENUMRET_OK);
    EXPECT_EQ(TextureSearchCallback(&formats[7], nullptr), DDENUMRET_OK);
}

}  // namespace
