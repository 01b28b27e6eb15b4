#include "code_writer.h"

namespace velmora::tools {

CodeWriter::CodeWriter(const uint8_t* data, size_t size, CodeCounts* counts)
    : data_(data), counts_(counts) {
    out_.reserve(size / 2 + 16);
}

void CodeWriter::Bit(uint32_t bit) {
    if (used_ == 8) {  // the unpacker takes the next tag byte exactly here
        tagAt_ = out_.size();
        out_.push_back(0);
        used_ = 0;
    }
    if (bit) out_[tagAt_] |= static_cast<uint8_t>(0x80 >> used_);
    ++used_;
}

void CodeWriter::Number(uint32_t value) {
    int dataBits = std::bit_width(value) - 1;
    for (int k = dataBits - 1; k >= 0; --k) {
        Bit(k > 0 ? 1 : 0);
        Bit((value >> k) & 1);
    }
}

void CodeWriter::Write(const Step& step) {
    switch (step.code) {
    case Code::kLiteral:
        Bit(0);
        Byte(data_[position_]);
        if (counts_) ++counts_->literals;
        break;
    case Code::kSingle:
        Bit(1);
        Bit(1);
        Bit(1);
        for (int k = 3; k >= 0; --k) Bit((step.offset >> k) & 1);
        if (counts_) ++(step.offset == 0 ? counts_->zeroBytes : counts_->singleBytes);
        break;
    case Code::kShort:
        Bit(1);
        Bit(1);
        Bit(0);
        Byte(step.offset << 1 | (step.length - 2));
        if (counts_) ++counts_->shortMatches;
        break;
    case Code::kRepeat:
        Bit(1);
        Bit(0);
        Number(2);
        Number(step.length);
        if (counts_) ++counts_->repeatMatches;
        break;
    case Code::kMatch:
        Bit(1);
        Bit(0);
        Number(step.offset / 256 + 3);
        Byte(step.offset & 255);
        Number(step.offset <= kNearOffsets ? step.length - 2 : step.length);
        if (counts_) ++counts_->matches;
        break;
    case Code::kByteRepeat:
        Write(OneByteStep(data_, position_));
        Write({Code::kRepeat, step.length - 1, 0});
        return;
    }
    position_ += step.length;
}

std::vector<uint8_t> CodeWriter::Finish() {
    // A short match with the byte 0.
    Bit(1);
    Bit(1);
    Bit(0);
    Byte(0);
    return std::move(out_);
}

}  // namespace velmora::tools
