// The capture tool's command line: what it takes and the one line it answers
// anything else with.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture_options.h"

using namespace velmora::tools;

namespace {

bool Parse(std::vector<const char*> words, CaptureOptions& options, std::string& error) {
    words.insert(words.begin(), "velmora-capture");
    return ParseCaptureOptions(static_cast<int>(words.size()), words.data(), options, error);
}

std::string Refusal(std::vector<const char*> words) {
    CaptureOptions options;
    std::string error;
    EXPECT_FALSE(Parse(words, options, error)) << "taken: " << (words.empty() ? "" : words.back());
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    return error;
}

TEST(CaptureOptionsTest, DefaultsAndEveryOptionInAnyOrder) {
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(Parse({"show", "out.mp4"}, options, error)) << error;
    EXPECT_EQ(options.showDirectory, "show");
    EXPECT_EQ(options.output, "out.mp4");
    EXPECT_EQ(options.rate.numerator, 60u);
    EXPECT_EQ(options.rate.denominator, 1u);
    EXPECT_EQ(options.width, 1280);
    EXPECT_EQ(options.height, 720);
    EXPECT_EQ(options.crf, 18);
    EXPECT_FALSE(options.framesOnly);
    EXPECT_FALSE(options.timings);
    EXPECT_DOUBLE_EQ(options.maxHours, 6.0);

    ASSERT_TRUE(Parse({"--fps", "59.94", "show", "--size", "320x240", "frames", "--crf", "0",
                       "--frames-only", "--timings"},
                      options, error))
        << error;
    EXPECT_EQ(options.showDirectory, "show");
    EXPECT_EQ(options.output, "frames");
    EXPECT_EQ(RateForFfmpeg(options.rate), "5994/100");
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 240);
    EXPECT_EQ(options.crf, 0);
    EXPECT_TRUE(options.framesOnly);
    EXPECT_TRUE(options.timings);

    // The limits themselves are taken.
    ASSERT_TRUE(Parse({"s", "o", "--fps", "1000", "--size", "8192x2", "--crf", "51", "--max-hours", "1000"}, options,
                      error))
        << error;
    EXPECT_EQ(RateForFfmpeg(options.rate), "1000");
    EXPECT_DOUBLE_EQ(options.maxHours, 1000.0);
    ASSERT_TRUE(Parse({"s", "o", "--fps", "1", "--max-hours", "0.25"}, options, error)) << error;
    EXPECT_EQ(RateForFfmpeg(options.rate), "1");
    EXPECT_DOUBLE_EQ(options.maxHours, 0.25);
}

TEST(CaptureOptionsTest, WhatIsRefusedAndWhy) {
    EXPECT_NE(Refusal({}).find("usage: velmora-capture SHOWDIR OUTPUT"), std::string::npos);
    EXPECT_NE(Refusal({"show"}).find("usage:"), std::string::npos);
    EXPECT_NE(Refusal({"show", "out", "more"}).find("one show and one output"), std::string::npos);
    EXPECT_NE(Refusal({"show", "out", "--speed", "2"}).find("unknown option --speed"), std::string::npos);
    EXPECT_NE(Refusal({"show", "", "--fps", "2"}).find("empty name"), std::string::npos);
    // A missing value is said as such, not taken from the next word's absence.
    EXPECT_EQ(Refusal({"show", "out", "--fps"}), "--fps needs a frame rate");
    EXPECT_EQ(Refusal({"show", "out", "--size"}), "--size needs WIDTHxHEIGHT");
    EXPECT_EQ(Refusal({"show", "out", "--crf"}), "--crf needs a number from 0 to 51");
    // Below one frame a second, one frame's sound alone runs to gigabytes.
    for (const char* rate : {"0", "-30", "fast", "30fps", "1000.01", "2000", "", "0.0001", "0.5", "0.999"})
        EXPECT_NE(Refusal({"show", "out", "--fps", rate}).find("--fps takes a frame rate from 1 to 1000"),
                  std::string::npos)
            << rate;
    EXPECT_EQ(Refusal({"show", "out", "--max-hours"}), "--max-hours needs a number of hours");
    for (const char* hours : {"0", "-1", "0.0", "1001", "six", "1e3", "inf", "", " 6", "6h", "1.2.3"})
        EXPECT_NE(Refusal({"show", "out", "--max-hours", hours}).find("--max-hours takes hours above 0 and up to 1000"),
                  std::string::npos)
            << hours;
    for (const char* size : {"0x480", "640x0", "640", "640x", "x480", "640x480x32", "8194x2", "-640x480",
                             "640X480", " 640x480"})
        EXPECT_NE(Refusal({"show", "out", "--size", size}).find("--size takes"), std::string::npos) << size;
    for (const char* crf : {"52", "-1", "18.5", "a", ""})
        EXPECT_NE(Refusal({"show", "out", "--crf", crf}).find("--crf takes"), std::string::npos) << crf;
}

TEST(CaptureOptionsTest, OddSizesOnlyForFrames) {
    // yuv420p needs even sides; the PNG frames take any.
    EXPECT_NE(Refusal({"show", "out.mp4", "--size", "641x480"}).find("even"), std::string::npos);
    EXPECT_NE(Refusal({"show", "out.mp4", "--size", "640x481"}).find("--frames-only"), std::string::npos);
    CaptureOptions options;
    std::string error;
    EXPECT_TRUE(Parse({"show", "frames", "--size", "641x481", "--frames-only"}, options, error)) << error;
    EXPECT_TRUE(Parse({"show", "frames", "--frames-only", "--size", "1x1"}, options, error)) << error;
}

}  // namespace
