// Writes the codes of a block in order: control bits into tag bytes placed
// where the unpacker takes them, data bytes between them.
#pragma once

#include <cstdint>
#include <vector>

#include "codes.h"
#include "packer.h"

namespace velmora::tools {

class CodeWriter {
public:
    CodeWriter(const uint8_t* data, size_t size, CodeCounts* counts);

    // Writes the code for the next step.length input bytes.
    void Write(const Step& step);
    // The end marker; the block is complete after it.
    std::vector<uint8_t> Finish();

private:
    void Bit(uint32_t bit);
    void Byte(uint32_t byte) { out_.push_back(static_cast<uint8_t>(byte)); }
    void Number(uint32_t value);

    const uint8_t* data_;
    CodeCounts* counts_;
    std::vector<uint8_t> out_;
    size_t tagAt_ = 0;
    int used_ = 8;
    uint32_t position_ = 0;  // input position of the next code
};

}  // namespace velmora::tools
