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

std::vector<uint8_t> XmBytes(const XmToneTune& tune) {
    std::vector<uint8_t> out;
    Put(out, "Extended Module: ", 17);
    Put(out, "velmora tone", 20);
    out.push_back(0x1A);
    Put(out, "velmora tests", 20);
    PutLe16(out, 0x0104);
    PutLe32(out, 276);  // header size from here on
    PutLe16(out, static_cast<int>(tune.order.size()));
    PutLe16(out, tune.restart);
    PutLe16(out, 2);    // channels
    PutLe16(out, static_cast<int>(tune.patterns.size()));
    PutLe16(out, 1);    // instruments
    PutLe16(out, 1);    // flags: linear frequencies
    PutLe16(out, tune.speed);
    PutLe16(out, tune.bpm);
    for (size_t i = 0; i < 256; ++i)
        out.push_back(i < tune.order.size() ? static_cast<uint8_t>(tune.order[i]) : 0);
    // The patterns, unpacked: five bytes a channel a row; row 0 strikes the
    // note with instrument 1 on both channels.
    for (const XmTonePattern& pattern : tune.patterns) {
        PutLe32(out, 9);
        out.push_back(0);  // packing
        PutLe16(out, pattern.rows);
        PutLe16(out, pattern.rows * 2 * 5);
        for (int row = 0; row < pattern.rows; ++row)
            for (int channel = 0; channel < 2; ++channel) {
                out.push_back(row == 0 ? static_cast<uint8_t>(pattern.note) : 0);
                out.push_back(row == 0 ? 1 : 0);
                out.push_back(0);
                out.push_back(0);
                out.push_back(0);
            }
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

std::vector<uint8_t> ToneXm() {
    XmToneTune tune;
    tune.patterns = {XmTonePattern{}};
    tune.order = {0};
    return XmBytes(tune);
}

XmToneTune TwoSecondTune() {
    // Speed 5 at 125 BPM: a row is 100 ms, ten rows a second.
    XmToneTune tune;
    tune.patterns = {XmTonePattern{10, 49}, XmTonePattern{10, 61}};
    tune.order = {0, 1};
    tune.restart = 1;
    tune.speed = 5;
    return tune;
}

std::vector<uint8_t> ToneS3m() {
    // Laid out by paragraphs (16 bytes): the header and its tables, the
    // sample's header at paragraph 7, the pattern at 12, the sample data at 17.
    constexpr size_t kSampleHeader = 7, kPattern = 12, kSampleData = 17;
    std::vector<uint8_t> out;
    Put(out, "velmora tone", 28);
    out.push_back(0x1A);
    out.push_back(16);  // a Scream Tracker 3 module
    PutLe16(out, 0);
    PutLe16(out, 2);  // orders (an even count)
    PutLe16(out, 1);  // instruments
    PutLe16(out, 1);  // patterns
    PutLe16(out, 0);  // flags
    PutLe16(out, 0x1320);  // made with Scream Tracker 3.20
    PutLe16(out, 2);       // samples are unsigned
    Put(out, "SCRM", 4);
    out.push_back(64);    // global volume
    out.push_back(6);     // speed
    out.push_back(125);   // tempo
    out.push_back(0xB0);  // stereo, master volume 48
    out.push_back(0);     // no click removal
    out.push_back(0);     // no panning table
    for (int i = 0; i < 8; ++i) out.push_back(0);
    PutLe16(out, 0);  // no special data
    // Channel 1 is the first left channel, channel 2 the first right one.
    out.push_back(0);
    out.push_back(8);
    for (int i = 2; i < 32; ++i) out.push_back(255);
    out.push_back(0);    // order 0: pattern 0
    out.push_back(255);  // the end of the order list
    PutLe16(out, kSampleHeader);
    PutLe16(out, kPattern);
    out.resize(kSampleHeader * 16, 0);

    out.push_back(1);  // a sample
    Put(out, "sine.smp", 12);
    out.push_back(0);  // the data's paragraph: its high byte, then the low word
    PutLe16(out, kSampleData);
    PutLe32(out, kToneCycle);  // length
    PutLe32(out, 0);           // loop start
    PutLe32(out, kToneCycle);  // loop end
    out.push_back(64);         // volume
    out.push_back(0);
    out.push_back(0);          // not packed
    out.push_back(1);          // looped, mono, 8-bit
    PutLe32(out, 8363);        // the rate of C-4
    for (int i = 0; i < 12; ++i) out.push_back(0);
    Put(out, "sine", 28);
    Put(out, "SCRS", 4);
    out.resize(kPattern * 16, 0);

    // Packed rows: row 0 strikes C-4 with sample 1 on channels 1 and 2; 63
    // empty rows follow. The length counts its own two bytes.
    std::vector<uint8_t> rows;
    for (uint8_t channel : {0, 1}) {
        rows.push_back(static_cast<uint8_t>(0x20 | channel));  // a note and an instrument follow
        rows.push_back(0x40);                                  // C-4
        rows.push_back(1);
    }
    for (int row = 0; row < 64; ++row) rows.push_back(0);  // the end of each row
    PutLe16(out, static_cast<int>(rows.size() + 2));
    out.insert(out.end(), rows.begin(), rows.end());
    out.resize(kSampleData * 16, 0);

    for (int8_t value : SineCycle()) out.push_back(static_cast<uint8_t>(value ^ 0x80));
    return out;
}

std::vector<uint8_t> ToneIt() {
    std::vector<uint8_t> out;
    Put(out, "IMPM", 4);
    Put(out, "velmora tone", 26);
    PutLe16(out, 0x1004);  // row highlights
    PutLe16(out, 2);       // orders
    PutLe16(out, 0);       // instruments
    PutLe16(out, 1);       // samples
    PutLe16(out, 1);       // patterns
    PutLe16(out, 0x0214);  // made with Impulse Tracker 2.14
    PutLe16(out, 0x0214);  // and readable by it
    PutLe16(out, 0x0009);  // stereo, linear slides, samples only
    PutLe16(out, 0);       // no message
    out.push_back(128);    // global volume
    out.push_back(48);     // mix volume
    out.push_back(6);      // speed
    out.push_back(125);    // tempo
    out.push_back(128);    // full separation
    out.push_back(0);      // pitch wheel depth
    PutLe16(out, 0);       // message length
    PutLe32(out, 0);       // message offset
    PutLe32(out, 0);
    // Channel 1 hard left, channel 2 hard right, the rest switched off.
    out.push_back(0);
    out.push_back(64);
    for (int i = 2; i < 64; ++i) out.push_back(32 + 128);
    for (int i = 0; i < 64; ++i) out.push_back(64);  // channel volumes
    out.push_back(0);    // order 0: pattern 0
    out.push_back(255);  // the end of the order list
    const size_t sampleOffsetAt = out.size();
    PutLe32(out, 0);
    const size_t patternOffsetAt = out.size();
    PutLe32(out, 0);
    auto patch32 = [&out](size_t at, size_t value) {
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };

    patch32(sampleOffsetAt, out.size());
    const size_t sampleHeader = out.size();
    Put(out, "IMPS", 4);
    Put(out, "sine.its", 12);
    out.push_back(0);
    out.push_back(64);    // global volume
    out.push_back(0x11);  // has data, looped, 8-bit mono
    out.push_back(64);    // volume
    Put(out, "sine", 26);
    out.push_back(1);  // signed samples
    out.push_back(0);  // no default panning
    PutLe32(out, kToneCycle);  // length
    PutLe32(out, 0);           // loop start
    PutLe32(out, kToneCycle);  // loop end
    PutLe32(out, 8363);        // the rate of C-5
    PutLe32(out, 0);           // sustain loop
    PutLe32(out, 0);
    const size_t sampleDataAt = out.size();
    PutLe32(out, 0);
    for (int i = 0; i < 4; ++i) out.push_back(0);  // no vibrato
    while (out.size() < sampleHeader + 0x50) out.push_back(0);

    // Packed rows: row 0 strikes C-5 with sample 1 on channels 1 and 2
    // (each with its mask byte); 63 empty rows follow.
    std::vector<uint8_t> rows;
    for (uint8_t channel : {1, 2}) {
        rows.push_back(static_cast<uint8_t>(0x80 | channel));  // a mask follows
        rows.push_back(0x03);                                  // a note and an instrument
        rows.push_back(60);                                    // C-5
        rows.push_back(1);
    }
    for (int row = 0; row < 64; ++row) rows.push_back(0);
    patch32(patternOffsetAt, out.size());
    PutLe16(out, static_cast<int>(rows.size()));
    PutLe16(out, 64);
    PutLe32(out, 0);
    out.insert(out.end(), rows.begin(), rows.end());

    patch32(sampleDataAt, out.size());
    for (int8_t value : SineCycle()) out.push_back(static_cast<uint8_t>(value));
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

}  // namespace velmora::testing
