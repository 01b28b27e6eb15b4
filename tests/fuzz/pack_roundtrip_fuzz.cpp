// The packer on any input, with either parse: its block must unpack to
// exactly that input.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "data/data_archive.h"
#include "packer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    for (velmora::tools::Parse parse : {velmora::tools::Parse::kOptimal, velmora::tools::Parse::kFast}) {
        std::vector<uint8_t> packed = velmora::tools::PackData(data, size, nullptr, {}, parse);
        std::vector<uint8_t> out(size);
        if (DecompressData(packed.data(), static_cast<int32_t>(packed.size()), out.data(),
                           static_cast<int32_t>(size)) != 1)
            std::abort();
        if (size && std::memcmp(out.data(), data, size) != 0) std::abort();
    }
    return 0;
}
