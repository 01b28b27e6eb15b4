// A headless show played by the real program on the virtual clock with the
// capture on: a module from 1.0 s to 3.0 s and an MP3 stream from 3.5 s to
// 6.0 s, both from the archive. The captured audio.wav is loud exactly in
// those windows, silent outside them, sample-aligned with the captured
// frames, and the same to the byte in two runs.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "music/module_writer.h"
#include "music/music_test_support.h"
#include "support/run_program.h"
#include "support/temp_files.h"

using namespace velmora::testing;

namespace {

const char kScript[] =
    "[Engine][Local path] TRUE\r\n"
    "[Music][00] 2\r\n"
    "[Music][01][Filename] music\\tone.xm\r\n"
    "[Music][02][Filename] music\\house_lo.mp3\r\n"
    "[Music][01][Play] 1.0\r\n"
    "[Music][01][Stop] 3.0\r\n"
    "[Music][02][Play] 3.5\r\n"
    "[Music][02][Stop] 6.0\r\n";

constexpr size_t kRate = 44100;

struct Capture {
    std::vector<int16_t> samples;  // interleaved stereo
    std::string bytes;
    size_t frames = 0;             // PNG frames captured
    std::vector<std::string> log;
};

Capture PlayShow() {
    Capture capture;
    std::string show = MakeTempDirectory();
    std::string sources = MakeTempDirectory();
    EXPECT_TRUE(WriteBytes(sources + "/tone.xm", ToneXm()));
    ProgramResult packed = RunProgram(QXPACK_PROGRAM,
                                      {"create", show + "/MORVAST.QXD", sources + "/tone.xm",
                                       MusicDataPath("house_lo.mp3")},
                                      sources, {}, 60.0);
    EXPECT_EQ(packed.exitStatus, 0) << packed.standardError;
    std::ofstream(show + "/MORVAST.QXP", std::ios::binary) << kScript;
    std::filesystem::copy_file(VELMORA_PROGRAM, show + "/velmora");
    ProgramResult result = RunProgram(show + "/velmora", {}, show,
                                      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"VELMORA_LOG", "1"},
                                       {"VELMORA_FPS", "50"}, {"VELMORA_CAPTURE", show + "/capture"}},
                                      120.0);
    EXPECT_TRUE(result.finished);
    EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    int rate = 0, channels = 0;
    EXPECT_TRUE(ReadWav(show + "/capture/audio.wav", capture.samples, rate, channels));
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    capture.bytes = ReadFile(show + "/capture/audio.wav");
    for (const auto& entry : std::filesystem::directory_iterator(show + "/capture"))
        capture.frames += entry.path().extension() == ".png";
    capture.log = ReadLogLines(show + "/Log.TXT");
    return capture;
}

size_t FirstSound(const std::vector<int16_t>& stereo, size_t from) {
    for (size_t i = from * 2; i < stereo.size(); ++i)
        if (stereo[i] != 0) return i / 2;
    return stereo.size() / 2;
}

size_t LastSound(const std::vector<int16_t>& stereo) {
    for (size_t i = stereo.size(); i > 0; --i)
        if (stereo[i - 1] != 0) return (i - 1) / 2;
    return 0;
}

TEST(MusicShowTest, TheCaptureIsLoudExactlyWhileMusicPlays) {
    Capture first = PlayShow();
    ASSERT_FALSE(first.samples.empty());
    const size_t frames = first.samples.size() / 2;
    // 50 frames a second: 882 samples a frame, then the closing second's hold.
    EXPECT_EQ(frames, first.frames * 882 + kRate);
    EXPECT_GE(frames, 7 * kRate);

    // RMS per 100 ms: loud from 1.0 s to 3.0 s and from 3.5 s to 6.0 s
    // (the stream's first 100 ms hold the decoder's start-up), silent, to
    // the last sample, everywhere else.
    const size_t window = kRate / 10;
    for (size_t start = 0; start + window <= frames; start += window) {
        const double seconds = static_cast<double>(start) / kRate;
        const double rms = Rms(first.samples, start, window);
        const bool module = start >= 10 * window && start < 30 * window;
        const bool stream = start >= 36 * window && start < 60 * window;
        if (module) {
            EXPECT_GT(rms, 3000.0) << "module at " << seconds << " s";
        } else if (stream) {
            EXPECT_GT(rms, 1500.0) << "stream at " << seconds << " s";
        } else if (start < 35 * window || start >= 60 * window) {
            EXPECT_EQ(rms, 0.0) << "silence at " << seconds << " s";
        }
    }
    // The stream's own first 100 ms are nearly silent, but not quite.
    EXPECT_GT(Rms(first.samples, 35 * window, window), 0.0);
    // To the sample: the module starts at frame 50 and ends at frame 150,
    // the stream starts no earlier than frame 175 and ends at frame 300.
    EXPECT_GE(FirstSound(first.samples, 0), 44100u);
    EXPECT_LE(FirstSound(first.samples, 0), 44102u);
    EXPECT_GE(FirstSound(first.samples, 3 * kRate), 3 * kRate + kRate / 2);
    EXPECT_LT(LastSound(first.samples), 6 * kRate);
    EXPECT_GT(LastSound(first.samples), 6 * kRate - 100);

    // The music lines of the log, word for word.
    std::vector<std::string> music;
    for (const std::string& line : first.log)
        if (line.rfind("Music:", 0) == 0 || line.find("music error") != std::string::npos) music.push_back(line);
    EXPECT_EQ(music, (std::vector<std::string>{
                         "Music:\t\t\t\tmusic init succesfull", "Music:\t\t\t\tmusic module loaded",
                         "Music:\t\ttone.xm\t\tmusic load succesfull", "Music:\t\t\t\tmusic init succesfull",
                         "Music:\t\t\t\tmusic stream loaded", "Music:\t\thouse_lo.mp3\t\tmusic load succesfull",
                         "Music:\t\t\t\tmusic module playing", "Music:\t\t\t\tmusic module unloaded",
                         "Music:\t\t\t\tmusic stream playing", "Music:\t\t\t\tmusic stream unloaded",
                         // the run sequence stops every track at the end
                         "Music:\t\t\t\tmusic module unloaded", "Music:\t\t\t\tmusic stream unloaded"}));

    Capture second = PlayShow();
    EXPECT_TRUE(first.bytes == second.bytes) << "the two captures differ";
    EXPECT_EQ(first.frames, second.frames);
}

}  // namespace
