#include "packer.h"

#include "code_writer.h"
#include "parse.h"

namespace velmora::tools {

std::vector<uint8_t> PackData(const uint8_t* data, size_t size, CodeCounts* counts,
                              const PackProgress& progress, Parse parse) {
    if (counts) *counts = CodeCounts{};
    if (size > 0x7FFFFFFF) return {};
    CodeWriter writer(data, size, counts);
    if (parse == Parse::kFast)
        FastParse(data, static_cast<uint32_t>(size), writer, progress);
    else
        OptimalParse(data, static_cast<uint32_t>(size), writer, progress);
    return writer.Finish();
}

}  // namespace velmora::tools
