// The fast parse: positions are taken in blocks, and each position's one
// cheapest arrival in bits is relaxed forwards over every code that applies
// there, with the last offset carried along each arrival.
#include <algorithm>
#include <vector>

#include "chain_finder.h"
#include "parse.h"

namespace velmora::tools {
namespace {

constexpr uint32_t kNiceLength = 128;  // a match this long is taken at once
constexpr uint32_t kBlockPositions = 1 << 15;
constexpr uint32_t kUnreached = UINT32_MAX;

struct Arrival {
    uint32_t cost = kUnreached;
    uint32_t lastOffset = 0;
    Step step{};
};

class FastParser {
public:
    FastParser(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress)
        : data_(data), size_(size), finder_(data, size), writer_(writer), progress_(progress) {}

    void Run() {
        arrivals_.resize(std::min<size_t>(size_, kBlockPositions) + 1);
        ParseInBlocks(size_, progress_, [this](uint32_t start) { return PackBlock(start); });
    }

private:
    void Relax(uint32_t from, const Arrival& here, const Step& step) {
        Arrival& there = arrivals_[from + step.length];
        uint32_t cost = here.cost + StepBits(step);
        if (cost < there.cost) {
            there.cost = cost;
            there.step = step;
            there.lastOffset = step.code == Code::kMatch ? step.offset : here.lastOffset;
        }
    }

    // Parses positions from start on, writes the chosen codes and returns
    // where the next block begins.
    uint32_t PackBlock(uint32_t start) {
        uint32_t end = static_cast<uint32_t>(std::min<size_t>(size_, size_t{start} + kBlockPositions));
        uint32_t span = end - start;
        for (uint32_t j = 0; j <= span; ++j) arrivals_[j].cost = kUnreached;
        arrivals_[0].cost = 0;
        arrivals_[0].lastOffset = lastOffset_;

        Step longStep{};
        bool haveLong = false;
        uint32_t stop = span;
        for (uint32_t j = 0; j < span; ++j) {
            uint32_t position = start + j;
            const Arrival here = arrivals_[j];
            uint32_t limit = size_ - position;
            finder_.Find(position, limit, matches_);
            finder_.Insert(position);

            uint32_t repeatLength = 0;
            if (here.lastOffset > 0 && here.lastOffset <= position && limit >= 2)
                repeatLength = MatchLength(data_, position, here.lastOffset, limit);
            uint32_t longest = matches_.empty() ? 0 : matches_.back().first;

            // A long match ends the block here: the path to this position is
            // final and the match follows it whole.
            if (std::max(longest, repeatLength) >= kNiceLength) {
                if (repeatLength >= longest)
                    longStep = {Code::kRepeat, repeatLength, here.lastOffset};
                else
                    longStep = {Code::kMatch, longest, matches_.back().second};
                haveLong = true;
                stop = j;
                break;
            }

            uint32_t room = span - j;  // codes end within the block
            Step oneByte = OneByteStep(data_, position);
            Relax(j, here, oneByte);
            if (here.lastOffset > 0 && here.lastOffset <= position + 1 && limit >= 3 && room >= 3) {
                uint32_t after = std::min(MatchLength(data_, position + 1, here.lastOffset, limit - 1),
                                          room - 1);
                if (after >= 2)
                    Relax(j, here, {Code::kByteRepeat, 1 + after, StepBits(oneByte)});
            }
            for (uint32_t length = 2; length <= 3 && length <= room; ++length) {
                for (const auto& [matchLength, offset] : matches_) {
                    if (matchLength < length) continue;
                    if (offset <= kNearOffsets) Relax(j, here, {Code::kShort, length, offset});
                    break;
                }
            }
            for (uint32_t length = 2; length <= std::min(repeatLength, room); ++length)
                Relax(j, here, {Code::kRepeat, length, here.lastOffset});
            uint32_t shorter = 1;
            for (const auto& [matchLength, offset] : matches_) {
                uint32_t first = std::max(shorter + 1, offset <= kNearOffsets ? kShortestNearMatch
                                                                              : kShortestFarMatch);
                uint32_t last = std::min(matchLength, room);
                for (uint32_t length = first; length <= last; ++length)
                    Relax(j, here, {Code::kMatch, length, offset});
                shorter = matchLength;
            }
        }

        Emit(stop);
        lastOffset_ = arrivals_[stop].lastOffset;
        uint32_t next = start + stop;
        if (haveLong) {
            writer_.Write(longStep);
            if (longStep.code == Code::kMatch) lastOffset_ = longStep.offset;
            for (uint32_t p = next + 1; p < next + longStep.length; ++p) finder_.Insert(p);
            next += longStep.length;
        }
        return next;
    }

    // Writes the cheapest path to arrival stop, front to back.
    void Emit(uint32_t stop) {
        path_.clear();
        for (uint32_t j = stop; j > 0; j -= arrivals_[j].step.length) path_.push_back(arrivals_[j].step);
        for (auto it = path_.rbegin(); it != path_.rend(); ++it) writer_.Write(*it);
    }

    const uint8_t* data_;
    uint32_t size_;
    ChainFinder finder_;
    CodeWriter& writer_;
    const PackProgress& progress_;
    std::vector<Arrival> arrivals_;
    std::vector<std::pair<uint32_t, uint32_t>> matches_;
    std::vector<Step> path_;
    uint32_t lastOffset_ = 0;
};

}  // namespace

void FastParse(const uint8_t* data, uint32_t size, CodeWriter& writer, const PackProgress& progress) {
    FastParser(data, size, writer, progress).Run();
}

}  // namespace velmora::tools
