// The sample show's pieces, in the process: the same bytes on every run, the
// PCX writer against the player's decoder, the tune against the library
// that plays it, and the tracker writer's checks.
#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "data/archive_reader.h"
#include "module_writer/tracker_module.h"
#include "sample_show/image_files.h"
#include "sample_show/sample_show.h"
#include "sample_show/show_music.h"
#include "sample_show/show_timing.h"
#include "support/engine_fixture.h"
#include "texture/texture_container.h"

namespace tools = velmora::tools;

namespace {

TEST(ShowPiecesTest, EveryFileComesOutTheSameTwice) {
    const std::vector<tools::ShowFile> first = tools::ShowFilesWithoutVisibility(tools::ShowScenes());
    const std::vector<tools::ShowFile> second = tools::ShowFilesWithoutVisibility(tools::ShowScenes());
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].name, second[i].name);
        EXPECT_TRUE(first[i].bytes == second[i].bytes) << first[i].name << " differs between two runs";
        EXPECT_FALSE(first[i].bytes.empty()) << first[i].name;
    }
}

class PcxWriterTest : public velmora::testing::EngineTest {
protected:
    // The picture as the player decodes it: 0xRRGGBBAA words, bottom row first.
    std::vector<DWORD> Decode(const std::vector<uint8_t>& bytes, DWORD& width, DWORD& height) {
        MemoryFile* file = NewMemoryFile("test.pcx", static_cast<int32_t>(bytes.size()));
        EXPECT_NE(file, nullptr);
        if (!file) return {};
        std::memcpy(file->data, bytes.data(), bytes.size());
        TextureContainer texture("test.pcx", 0);
        const HRESULT result = DecodeImageFile(&texture, file, ImageFormat::Pcx);
        MemClose(file);
        EXPECT_EQ(result, 0);
        width = texture.dwWidth;
        height = texture.dwHeight;
        if (result != 0) return {};
        return std::vector<DWORD>(texture.pPixels, texture.pPixels + static_cast<size_t>(width) * height);
    }
};

TEST_F(PcxWriterTest, ThePlayerDecodesEveryPixelAsWritten) {
    // An odd width (each line padded to an even length), runs longer than
    // one count byte holds, single bytes that look like counts, lone pixels.
    tools::IndexedPicture picture;
    picture.width = 131;
    picture.height = 7;
    for (int i = 0; i < 256; ++i) picture.palette[static_cast<size_t>(i)] = static_cast<uint32_t>(i * 0x010203) & 0xFFFFFF;
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            uint8_t value = static_cast<uint8_t>(y * 37);                 // a run across the line
            if (y % 2 && x % 3 == 0) value = static_cast<uint8_t>(0xC0 + x % 64);  // count-like bytes
            if (y == 6) value = static_cast<uint8_t>(x);                   // no runs at all
            picture.indices.push_back(value);
        }
    DWORD width = 0, height = 0;
    const std::vector<DWORD> pixels = Decode(tools::PcxBytes(picture), width, height);
    ASSERT_EQ(width, 131u);
    ASSERT_EQ(height, 7u);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t colour = picture.palette[picture.indices[static_cast<size_t>(y) * picture.width + x]];
            const DWORD got = pixels[static_cast<size_t>(picture.height - 1 - y) * width + x];
            ASSERT_EQ(got, colour << 8 | 0xFF) << "pixel " << x << ", " << y;
        }
}

TEST(ShowTuneTest, TheLibraryPlaysItForTheShowsSixPatterns) {
    const std::vector<uint8_t> bytes = tools::ModBytes(tools::ShowTune());
    int error = 0;
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                                 nullptr, nullptr, &error, nullptr, nullptr);
    ASSERT_NE(module, nullptr) << "libopenmpt error " << error;
    EXPECT_EQ(openmpt_module_get_num_channels(module), 4);
    EXPECT_EQ(openmpt_module_get_num_patterns(module), 4);
    EXPECT_EQ(openmpt_module_get_num_orders(module), tools::kTunePatternsPlayed);
    // The scenes change on the tune's pattern boundaries: 128 beats a minute
    // make every pattern 7.5 s, and the script stops the tune when the last ends.
    EXPECT_NEAR(openmpt_module_get_duration_seconds(module), tools::kTuneStop - tools::kTuneStart, 0.05);
    // It is heard from its first rows on.
    std::vector<int16_t> left(44100), right(44100);
    ASSERT_EQ(openmpt_module_read_stereo(module, 44100, left.size(), left.data(), right.data()), left.size());
    double sum = 0.0;
    for (size_t i = 0; i < left.size(); ++i) sum += static_cast<double>(left[i]) * left[i] + static_cast<double>(right[i]) * right[i];
    EXPECT_GT(std::sqrt(sum / (2.0 * left.size())), 1000.0);
    openmpt_module_destroy(module);
}

TEST(TrackerModuleTest, CheckModuleNamesTheFirstFault) {
    tools::ModModule module;
    module.patterns.resize(1);
    module.order = {0};
    EXPECT_EQ(tools::CheckModule(module), "");
    module.order = {1};
    EXPECT_NE(tools::CheckModule(module), "");  // no pattern 1
    module.order = {0};
    tools::ModSample odd;
    odd.name = "odd";
    odd.data.resize(3);
    module.samples = {odd};
    EXPECT_NE(tools::CheckModule(module).find("odd"), std::string::npos);
    module.samples[0].data.resize(4);
    module.samples[0].loopStart = 2;
    module.samples[0].loopLength = 4;
    EXPECT_NE(tools::CheckModule(module), "");  // the loop runs past the data
    module.samples[0].loopLength = 2;
    EXPECT_EQ(tools::CheckModule(module), "");
    module.patterns[0][5][2] = tools::ModCell{428, 2, 0, 0};
    EXPECT_NE(tools::CheckModule(module), "");  // sample 2 is not there
    EXPECT_EQ(tools::ModPeriod(2, 0), 428);
    EXPECT_EQ(tools::ModPeriod(4, 0), 0);
}

}  // namespace
