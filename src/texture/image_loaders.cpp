// The five image loaders: the picture decoder reads each file out of its
// MemoryFile through our own I/O procedures.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "data/data_archive.h"
#include "data/memory_file.h"
#include "diag/memory_counters.h"
#include "platform/image/picture_decoder.h"
#include "texture/texture_container.h"

namespace {

unsigned ImageReadProc(void* buffer, unsigned size, unsigned count, void* handle) {
    auto* file = static_cast<MemoryFile*>(handle);
    if (!file || !buffer || size == 0 || count == 0) return 0;
    // A request larger than the file could ever hold is cut to what is there.
    uint64_t wanted = static_cast<uint64_t>(size) * count;
    int32_t asked = wanted > INT32_MAX ? INT32_MAX : static_cast<int32_t>(wanted);
    int32_t got = MemRead(buffer, asked, file);
    if (got <= 0) return 0;
    // Whole items read, as fread counts them.
    return static_cast<unsigned>(static_cast<uint64_t>(got) / size);
}

int ImageSeekProc(void* handle, long offset, int origin) {
    auto* file = static_cast<MemoryFile*>(handle);
    if (!file) return 1;
    if (offset < INT32_MIN + 1 || offset > INT32_MAX) return 1;
    int32_t move = static_cast<int32_t>(offset);
    // MemSeek counts from the end backwards; the decoder counts as fseek does.
    if (origin == SEEK_END) move = -move;
    MemSeek(file, move, origin == SEEK_SET ? 0 : origin == SEEK_CUR ? 1 : 2);
    return 1;
}

long ImageTellProc(void* handle) {
    auto* file = static_cast<MemoryFile*>(handle);
    return file ? MemTell(file) : 0;
}

using velmora::platform::DecodedPicture;
using velmora::platform::PictureFormat;

struct Decoder {
    PictureFormat format;
    bool copies32;   // a 32-bit image keeps its alpha
    bool scansAlpha; // bAlpha is set from the pixels
};

Decoder DecoderFor(ImageFormat format) {
    switch (format) {
    case ImageFormat::Bmp: return {PictureFormat::Bmp, true, true};
    case ImageFormat::Tga: return {PictureFormat::Tga, true, true};
    case ImageFormat::Jpg: return {PictureFormat::Jpeg, false, false};
    case ImageFormat::Png: return {PictureFormat::Png, true, true};
    default: return {PictureFormat::Pcx, false, false};
    }
}

// One decoded row of blue, green, red (and alpha) bytes as pixel words.
template <int kBytes>
void CopyRow(const uint8_t* row, DWORD* out, DWORD width, bool keepAlpha) {
    using namespace velmora::platform;
    for (DWORD x = 0; x < width; ++x, row += kBytes)
        out[x] = static_cast<DWORD>(row[kPictureRed]) << 24 | static_cast<DWORD>(row[kPictureGreen]) << 16 |
                 static_cast<DWORD>(row[kPictureBlue]) << 8 | (keepAlpha ? row[kPictureAlpha] : 255u);
}

// One row of a 32-bit BMP's little-endian words, laid out by its masks.
void CopyBmpWords(const uint8_t* row, DWORD* out, DWORD width, const BmpMasks& masks) {
    for (DWORD x = 0; x < width; ++x, row += 4)
        out[x] = BmpPixelWord(static_cast<uint32_t>(row[0] | row[1] << 8 | row[2] << 16) |
                                  static_cast<uint32_t>(row[3]) << 24,
                              masks);
}

BOOL AnyAlphaBelowFull(const DWORD* pixels, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if ((pixels[i] & 255) != 255) return 1;
    return 0;
}

enum class Rewrite { None, Done, Failed };

// The rewrites of bmp_runs, bmp_info_header, tga_runs and pcx_rewrite, for
// the files each is for.
Rewrite RewriteForDecoder(ImageFormat format, const uint8_t* data, int64_t size, std::vector<uint8_t>& rewritten) {
    auto made = [](bool done) { return done ? Rewrite::Done : Rewrite::Failed; };
    switch (format) {
    case ImageFormat::Bmp: {
        // (The header check has passed: a header of 40 bytes or more holds
        // the compression, 1 and 2 being the run-length ones.)
        bool runs = size >= 34 && data[14] >= 40 && (data[30] == 1 || data[30] == 2);
        if (runs) return made(ExpandBmpRuns(data, size, rewritten));
        return ShortenBmpInfoHeader(data, size, rewritten) ? Rewrite::Done : Rewrite::None;
    }
    case ImageFormat::Tga:
        if (size >= 18 && data[2] >= 9) return made(ExpandTgaRuns(data, size, rewritten));
        return Rewrite::None;
    case ImageFormat::Pcx:
        if (PcxNeedsRewrite(data, size)) return made(RewritePcx(data, size, rewritten));
        return Rewrite::None;
    default: return Rewrite::None;
    }
}

HRESULT LoadFile(TextureContainer* texture, const char* pathname, ImageFormat format) {
    MemoryFile* file = OpenDataFile(pathname);
    if (!file) return E_FAIL;
    HRESULT result = DecodeImageFile(texture, file, format);
    MemClose(file);
    return result;
}

}  // namespace

HRESULT DecodeImageFile(TextureContainer* texture, MemoryFile* file, ImageFormat format) {
    if (!texture || !file || !file->data || file->size <= 0) return E_FAIL;
    if (!ImageHeaderIsSound(format, file->data, file->size)) return E_FAIL;
    Decoder decoder = DecoderFor(format);
    velmora::platform::PictureSource source;
    source.read = ImageReadProc;
    source.seek = ImageSeekProc;
    source.tell = ImageTellProc;
    MemSeek(file, 0, 0);
    // Some files reach the decoder rewritten into a form it reads correctly.
    std::vector<uint8_t> rewritten;
    MemoryFile rewrittenFile{};
    MemoryFile* input = file;
    Rewrite rewrite = RewriteForDecoder(format, file->data, file->size, rewritten);
    if (rewrite == Rewrite::Failed) return E_FAIL;
    if (rewrite == Rewrite::Done) {
        if (rewritten.size() > INT32_MAX) return E_FAIL;
        rewrittenFile.name = file->name;
        rewrittenFile.size = static_cast<int32_t>(rewritten.size());
        rewrittenFile.data = rewritten.data();
        input = &rewrittenFile;
    }
    source.handle = input;
    std::unique_ptr<DecodedPicture> bitmap = velmora::platform::DecodePicture(decoder.format, source);
    std::vector<uint8_t>().swap(rewritten);  // the decoder is done with it
    if (!bitmap) return E_FAIL;

    texture->bAlpha = 0;
    DWORD width = bitmap->Width();
    DWORD height = bitmap->Height();
    DWORD bits = bitmap->BitsPerPixel();
    if (width == 0 || height == 0 || width > kLargestTextureSide || height > kLargestTextureSide ||
        static_cast<int64_t>(width) * height * 4 > kLargestTextureBytes)
        return E_FAIL;
    // Everything but plain 24-bit images, and 32-bit ones of the formats that
    // keep alpha, becomes 32-bit with its palette colours and transparency;
    // the decoded bitmap goes as soon as its converted copy is there.
    bool plain = bitmap->PlainPixels() && (bits == 24 || (bits == 32 && decoder.copies32));
    bool converted = !plain;
    if (converted) {
        bitmap = bitmap->To32Bits();
        if (!bitmap) return E_FAIL;
    }
    const DecodedPicture& picture = *bitmap;
    DWORD sourceBits = picture.BitsPerPixel();
    auto* pixels = static_cast<DWORD*>(std::malloc(static_cast<size_t>(width) * height * 4));
    if (!pixels || (sourceBits != 24 && sourceBits != 32) || picture.Width() != width ||
        picture.Height() != height) {
        std::free(pixels);
        return pixels ? E_FAIL : E_OUTOFMEMORY;
    }
    CountMemory(&textureMemoryCounter, static_cast<int64_t>(width) * height * 4);
    CountMemory(&textureAllocationCounter, 1);

    // Row by row at the decoder's pitch. Stored row 0 is the decoder's
    // bottom row, except for a TGA file stored from the top: the decoder
    // turns it over, and the player keeps the file's first row as row 0.
    bool turnOver = format == ImageFormat::Tga && TgaStoredFromTheTop(file->data, file->size);
    // A 32-bit BMP keeps its fourth byte only when its header names it alpha;
    // its words are laid out by the header's masks, which the decoder ignores.
    bool bmpWords = format == ImageFormat::Bmp && sourceBits == 32 && !converted;
    BmpMasks masks = bmpWords ? BmpMasksOf(file->data, file->size) : BmpMasks{};
    bool keepAlpha = sourceBits == 32 && (decoder.copies32 || converted) && decoder.scansAlpha;
    for (DWORD y = 0; y < height; ++y) {
        const uint8_t* row = picture.Row(turnOver ? height - 1 - y : y);
        DWORD* out = pixels + static_cast<size_t>(y) * width;
        if (bmpWords)
            CopyBmpWords(row, out, width, masks);
        else if (sourceBits == 24)
            CopyRow<3>(row, out, width, false);
        else
            CopyRow<4>(row, out, width, keepAlpha);
    }
    if (decoder.scansAlpha) texture->bAlpha = AnyAlphaBelowFull(pixels, static_cast<size_t>(width) * height);
    // A converted image is recorded as true colour: 32 bits when it carries
    // alpha, 24 when it is opaque.
    texture->dwSourceBits = converted ? (texture->bAlpha ? 32 : 24) : bits;
    texture->dwWidth = width;
    texture->dwHeight = height;
    std::free(texture->pPixels);
    texture->pPixels = pixels;
    return 0;
}

HRESULT TextureContainer::LoadBMPFile(const char* p) { return LoadFile(this, p, ImageFormat::Bmp); }
HRESULT TextureContainer::LoadTGAFile(const char* p) { return LoadFile(this, p, ImageFormat::Tga); }
HRESULT TextureContainer::LoadJPGFile(const char* p) { return LoadFile(this, p, ImageFormat::Jpg); }
HRESULT TextureContainer::LoadPNGFile(const char* p) { return LoadFile(this, p, ImageFormat::Png); }
HRESULT TextureContainer::LoadPCXFile(const char* p) { return LoadFile(this, p, ImageFormat::Pcx); }
