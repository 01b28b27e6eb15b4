#include "music/module_writer.h"

#include <cmath>
#include <cstring>
#include <fstream>

#include "module_writer/tracker_module.h"

namespace velmora::testing {

namespace {

std::vector<int8_t> SineCycle() {
    std::vector<int8_t> cycle(kToneCycle);
    for (int i = 0; i < kToneCycle; ++i)
        cycle[i] = static_cast<int8_t>(std::lround(100.0 * std::sin(2.0 * M_PI * i / kToneCycle)));
    return cycle;
}

void Put(std::vector<uint8_t>& out, const char* text, size_t width) {
    size_t length = std::strlen(text);
    for (size_t i = 0; i < width; ++i) out.push_back(i < length ? static_cast<uint8_t>(text[i]) : 0);
}
void PutLe16(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> ToneMod() {
    using namespace velmora::tools;
    ModModule module;
    module.title = "velmora tone";
    ModSample sine;
    sine.name = "sine";
    sine.data = SineCycle();
    sine.loopLength = sine.data.size();
    module.samples.push_back(sine);
    // Pattern 0: row 0 strikes C-2 with sample 1 on channels 1 and 2.
    ModPattern pattern{};
    pattern[0][0] = pattern[0][1] = ModCell{ModPeriod(2, 0), 1, 0, 0};
    module.patterns.push_back(pattern);
    module.order = {0};
    return ModBytes(module);
}

std::vector<uint8_t> ToneXm() {
    std::vector<uint8_t> out;
    Put(out, "Extended Module: ", 17);
    Put(out, "velmora tone", 20);
    out.push_back(0x1A);
    Put(out, "velmora tests", 20);
    PutLe16(out, 0x0104);
    PutLe32(out, 276);  // header size from here on
    PutLe16(out, 1);    // song length
    PutLe16(out, 0);    // restart position
    PutLe16(out, 2);    // channels
    PutLe16(out, 1);    // patterns
    PutLe16(out, 1);    // instruments
    PutLe16(out, 1);    // flags: linear frequencies
    PutLe16(out, 6);    // speed
    PutLe16(out, 125);  // BPM
    for (int i = 0; i < 256; ++i) out.push_back(0);  // order table
    // Pattern 0, unpacked: five bytes a channel a row; row 0 strikes C-4
    // (note 49) with instrument 1 on both channels.
    PutLe32(out, 9);
    out.push_back(0);  // packing
    PutLe16(out, 64);  // rows
    PutLe16(out, 64 * 2 * 5);
    for (int row = 0; row < 64; ++row)
        for (int channel = 0; channel < 2; ++channel) {
            out.push_back(row == 0 ? 49 : 0);
            out.push_back(row == 0 ? 1 : 0);
            out.push_back(0);
            out.push_back(0);
            out.push_back(0);
        }
    // Instrument 1 with one sample.
    const size_t instrumentStart = out.size();
    PutLe32(out, 263);
    Put(out, "sine", 22);
    out.push_back(0);  // type
    PutLe16(out, 1);   // samples
    PutLe32(out, 40);  // sample header size
    for (int i = 0; i < 96; ++i) out.push_back(0);  // every note plays sample 0
    while (out.size() < instrumentStart + 263) out.push_back(0);  // no envelopes, no vibrato
    // The sample header.
    PutLe32(out, kToneCycle);  // length in bytes
    PutLe32(out, 0);           // loop start
    PutLe32(out, kToneCycle);  // loop length
    out.push_back(64);         // volume
    out.push_back(0);          // finetune
    out.push_back(1);          // forward loop, 8-bit
    out.push_back(128);        // panning: centre
    out.push_back(0);          // relative note
    out.push_back(0);
    Put(out, "sine", 22);
    // The sample data, as deltas.
    int8_t previous = 0;
    for (int8_t value : SineCycle()) {
        out.push_back(static_cast<uint8_t>(static_cast<int8_t>(value - previous)));
        previous = value;
    }
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace velmora::testing
