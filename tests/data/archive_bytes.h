// Archive files for tests: sound ones packed by the packer, and directories
// written field by field to make damaged ones.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velmora::testing {

// Little-endian 32-bit integer as 4 bytes.
std::string Int32Bytes(int32_t value);

// One directory entry exactly as stored: length, name bytes, size, offset, reserved.
std::string EntryBytes(int32_t nameLength, const std::string& nameBytes, int32_t size,
                       int32_t offset, int32_t reserved = 0);

// A whole archive of the named files, each block made by the packer.
std::string PackedArchive(const std::vector<std::pair<std::string, std::string>>& files);

// An archive of the given already packed blocks with their claimed sizes.
struct RawBlock {
    std::string name;
    int32_t size;
    std::string packed;
};
std::string RawArchive(const std::vector<RawBlock>& blocks);

void WriteFile(const std::string& path, const std::string& bytes);

}  // namespace velmora::testing
