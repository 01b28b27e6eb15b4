// A file of the sample show held in memory until it is written and packed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmora::tools {

struct ShowFile {
    std::string name;  // bare file name, as the archive and the scenes know it
    std::vector<uint8_t> bytes;
};

}  // namespace velmora::tools
