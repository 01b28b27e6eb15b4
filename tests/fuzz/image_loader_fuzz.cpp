// The texture decoding of one image held in a MemoryFile: the header checks,
// FreeImage through our read, seek and tell procedures, and the copy into the
// texture's pixels. The first input byte chooses the format (BMP, TGA, JPEG,
// PNG, PCX), the rest is the file.
#include <cstddef>
#include <cstdint>

#include "data/memory_file.h"
#include "fuzz_memory_file.h"
#include "texture/texture_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    static const ImageFormat formats[] = {ImageFormat::Bmp, ImageFormat::Tga, ImageFormat::Jpg,
                                          ImageFormat::Png, ImageFormat::Pcx};
    ImageFormat format = formats[data[0] % 5];
    MemoryFile* file = velmora::fuzzing::NewFuzzFile("fuzz.img", data + 1, size - 1);
    TextureContainer* texture = new TextureContainer("fuzz.img", 0);
    if (DecodeImageFile(texture, file, format) == 0) {
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
