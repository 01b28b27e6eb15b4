#include "data/archive_bytes.h"

#include <fstream>

#include "packer.h"

namespace velmora::testing {

std::string Int32Bytes(int32_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    std::string bytes;
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(v >> (8 * i)));
    return bytes;
}

std::string EntryBytes(int32_t nameLength, const std::string& nameBytes, int32_t size,
                       int32_t offset, int32_t reserved) {
    return Int32Bytes(nameLength) + nameBytes + Int32Bytes(size) + Int32Bytes(offset) +
           Int32Bytes(reserved);
}

std::string RawArchive(const std::vector<RawBlock>& blocks) {
    int32_t offset = 4;
    for (const RawBlock& block : blocks) offset += 4 + static_cast<int32_t>(block.name.size()) + 1 + 12;
    std::string directory = Int32Bytes(static_cast<int32_t>(blocks.size()));
    std::string data;
    for (const RawBlock& block : blocks) {
        directory += EntryBytes(static_cast<int32_t>(block.name.size()) + 1,
                                block.name + std::string(1, '\0'), block.size,
                                offset + static_cast<int32_t>(data.size()));
        data += block.packed;
    }
    return directory + data;
}

std::string PackedArchive(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<RawBlock> blocks;
    for (const auto& [name, contents] : files) {
        std::vector<uint8_t> packed = velmora::tools::PackData(
            reinterpret_cast<const uint8_t*>(contents.data()), contents.size());
        blocks.push_back({name, static_cast<int32_t>(contents.size()),
                          std::string(packed.begin(), packed.end())});
    }
    return RawArchive(blocks);
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace velmora::testing
