#include "module_writer/tracker_module.h"

#include <algorithm>

namespace velmora::tools {

namespace {

constexpr int kPeriods[36] = {
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,  // octave 1
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,  // octave 2
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,  // octave 3
};

void PutText(std::vector<uint8_t>& out, const std::string& text, size_t width) {
    for (size_t i = 0; i < width; ++i) out.push_back(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

void PutBe16(std::vector<uint8_t>& out, size_t value) {
    out.push_back(static_cast<uint8_t>(value >> 8));
    out.push_back(static_cast<uint8_t>(value));
}

}  // namespace

int ModPeriod(int octave, int semitone) {
    if (octave < 1 || octave > 3 || semitone < 0 || semitone > 11) return 0;
    return kPeriods[(octave - 1) * 12 + semitone];
}

std::string CheckModule(const ModModule& module) {
    if (module.samples.size() > kModSamples) return "more than 31 samples";
    if (module.patterns.empty() || module.patterns.size() > 64) return "1 to 64 patterns are needed";
    if (module.order.empty() || module.order.size() > 128) return "the order list needs 1 to 128 entries";
    for (int pattern : module.order)
        if (pattern < 0 || static_cast<size_t>(pattern) >= module.patterns.size())
            return "the order list names a pattern that is not there";
    for (const ModSample& sample : module.samples) {
        if (sample.data.size() % 2 || sample.data.size() > 131070)
            return "sample " + sample.name + " is not an even length of at most 131070 bytes";
        if (sample.volume < 0 || sample.volume > 64) return "sample " + sample.name + " has a volume beyond 64";
        if (sample.finetune < -8 || sample.finetune > 7) return "sample " + sample.name + " has a finetune beyond -8 to 7";
        if (sample.loopStart % 2 || sample.loopLength % 2 ||
            sample.loopStart + sample.loopLength > sample.data.size())
            return "sample " + sample.name + " loops outside its data";
    }
    for (const ModPattern& pattern : module.patterns)
        for (const ModRow& row : pattern)
            for (const ModCell& cell : row) {
                if (cell.period < 0 || cell.period > 0xFFF) return "a period beyond 12 bits";
                if (cell.sample < 0 || static_cast<size_t>(cell.sample) > module.samples.size())
                    return "a cell names a sample that is not there";
                if (cell.effect < 0 || cell.effect > 0xF || cell.parameter < 0 || cell.parameter > 0xFF)
                    return "an effect beyond 0xF or a parameter beyond 0xFF";
            }
    return "";
}

std::vector<uint8_t> ModBytes(const ModModule& module) {
    std::vector<uint8_t> out;
    PutText(out, module.title, 20);
    for (int s = 0; s < kModSamples; ++s) {
        static const ModSample kEmpty{"", {}, 0, 0, 0, 0};  // an unused slot
        const ModSample& sample = static_cast<size_t>(s) < module.samples.size() ? module.samples[s] : kEmpty;
        PutText(out, sample.name, 22);
        PutBe16(out, sample.data.size() / 2);
        out.push_back(static_cast<uint8_t>(sample.finetune & 0x0F));
        out.push_back(static_cast<uint8_t>(sample.volume));
        // A loop of one word is ProTracker's "no loop".
        PutBe16(out, sample.loopLength ? sample.loopStart / 2 : 0);
        PutBe16(out, sample.loopLength ? sample.loopLength / 2 : 1);
    }
    out.push_back(static_cast<uint8_t>(module.order.size()));
    out.push_back(127);  // the restart byte old trackers leave at 127
    int highest = 0;
    for (int i = 0; i < 128; ++i) {
        const int pattern = static_cast<size_t>(i) < module.order.size() ? module.order[i] : 0;
        highest = std::max(highest, pattern);
        out.push_back(static_cast<uint8_t>(pattern));
    }
    PutText(out, "M.K.", 4);
    // Every pattern up to the highest one the order table names is stored.
    for (int p = 0; p <= highest; ++p)
        for (const ModRow& row : module.patterns[p])
            for (const ModCell& cell : row) {
                out.push_back(static_cast<uint8_t>((cell.sample & 0xF0) | ((cell.period >> 8) & 0x0F)));
                out.push_back(static_cast<uint8_t>(cell.period & 0xFF));
                out.push_back(static_cast<uint8_t>(((cell.sample & 0x0F) << 4) | (cell.effect & 0x0F)));
                out.push_back(static_cast<uint8_t>(cell.parameter));
            }
    for (const ModSample& sample : module.samples)
        for (int8_t value : sample.data) out.push_back(static_cast<uint8_t>(value));
    return out;
}

}  // namespace velmora::tools
