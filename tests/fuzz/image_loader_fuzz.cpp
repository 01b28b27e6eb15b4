// The texture decoding of one image held in a MemoryFile: the header checks,
// FreeImage through our read, seek and tell procedures, and the copy into the
// texture's pixels. The first input byte chooses the format (BMP, TGA, JPEG,
// PNG, PCX), the rest is the file.
//
// Besides not crashing, the check and the decoder must agree: the picture
// decoded is the one the header check sized, and a BMP, TGA or PCX file the
// check passes (it walks their every byte) is one the decoder reads.
//
// A header of a few bytes can claim 16 M pixels, and the decoder's work grows
// with the picture: pictures above kMostDecodedPixels are checked but not
// decoded, so that a campaign reaches its millions of runs. Their decoding
// differs from that of smaller ones in nothing but the count of rows and
// columns; the unit tests decode pictures at the size bounds.
#include <climits>
#include <cstddef>
#include <cstdint>

#include "data/memory_file.h"
#include "fuzz_memory_file.h"
#include "texture/texture_container.h"

namespace {

constexpr int64_t kMostDecodedPixels = 1 << 16;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size - 1 > INT32_MAX) return 0;
    static const ImageFormat formats[] = {ImageFormat::Bmp, ImageFormat::Tga, ImageFormat::Jpg,
                                          ImageFormat::Png, ImageFormat::Pcx};
    ImageFormat format = formats[data[0] % 5];
    ImageHeaderVerdict header = CheckImageHeader(format, data + 1, int64_t(size - 1));
    // A refused header goes no further in the decoder either.
    if (header.fault || header.width * header.height > kMostDecodedPixels) return 0;

    MemoryFile* file = velmora::fuzzing::NewFuzzFile("fuzz.img", data + 1, size - 1);
    TextureContainer* texture = new TextureContainer("fuzz.img", 0);
    HRESULT result = DecodeImageFile(texture, file, format);
    bool walked = format == ImageFormat::Bmp || format == ImageFormat::Tga || format == ImageFormat::Pcx;
    if (walked && result != 0) __builtin_trap();
    if (result == 0) {
        if (texture->dwWidth != header.width || texture->dwHeight != header.height) __builtin_trap();
        // Every word of the decoded image is there to be read.
        static volatile uint32_t sink = 0;
        uint32_t sum = 0;
        for (size_t i = 0; i < size_t(texture->dwWidth) * texture->dwHeight; ++i) sum += texture->pPixels[i];
        sink = sink + sum;
    }
    delete texture;
    MemClose(file);
    velmora::fuzzing::ResetMemoryCounters();
    return 0;
}
