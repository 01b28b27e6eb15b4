#include "capture_options.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/numbers.h"

namespace velmora::tools {


bool ParseCaptureOptions(int argc, const char* const* argv, CaptureOptions& options, std::string& error) {
    options = CaptureOptions{};
    std::string sizeText = "1280x720";
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needs = [&](const char* what) {
            error = argument + " needs " + what;
            return false;
        };
        if (argument == "--fps") {
            if (!value) return needs("a frame rate");
            if (!platform::ParseFrameRate(value, options.rate) ||
                options.rate.numerator < static_cast<uint64_t>(kLowestRate) * options.rate.denominator ||
                options.rate.numerator > static_cast<uint64_t>(kHighestRate) * options.rate.denominator) {
                error = std::string("--fps takes a frame rate from ") + std::to_string(kLowestRate) + " to " +
                        std::to_string(kHighestRate) + " such as 30 or 59.94, not \"" + value + "\"";
                return false;
            }
            ++i;
        } else if (argument == "--size") {
            if (!value) return needs("WIDTHxHEIGHT");
            if (!tools::ReadSize(value, kLargestSide, options.width, options.height)) {
                error = std::string("--size takes WIDTHxHEIGHT, each 1 to ") + std::to_string(kLargestSide) +
                        ", such as 1280x720, not \"" + value + "\"";
                return false;
            }
            sizeText = value;
            ++i;
        } else if (argument == "--crf") {
            if (!value) return needs("a number from 0 to 51");
            if (!ReadNumber(value, 0, 51, options.crf)) {
                error = std::string("--crf takes a number from 0 (lossless) to 51, not \"") + value + "\"";
                return false;
            }
            ++i;
        } else if (argument == "--max-hours") {
            if (!value) return needs("a number of hours");
            if (!tools::ReadDecimal(value, 0.0, kLargestMaxHours, options.maxHours) || options.maxHours <= 0.0) {
                error = std::string("--max-hours takes hours above 0 and up to ") +
                        std::to_string(static_cast<int>(kLargestMaxHours)) + ", such as 6 or 0.5, not \"" + value +
                        "\"";
                return false;
            }
            ++i;
        } else if (argument == "--frames-only") {
            options.framesOnly = true;
        } else if (argument == "--timings") {
            options.timings = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument + "; " + kUsage;
            return false;
        } else if (argument.empty()) {
            error = std::string("an empty name; ") + kUsage;
            return false;
        } else if (positional == 0) {
            options.showDirectory = argument;
            ++positional;
        } else if (positional == 1) {
            options.output = argument;
            ++positional;
        } else {
            error = "one show and one output at a time; " + std::string(kUsage);
            return false;
        }
    }
    if (positional < 2) {
        error = kUsage;
        return false;
    }
    // H.264 in yuv420p halves the colour in both directions.
    if (!options.framesOnly && (options.width % 2 != 0 || options.height % 2 != 0)) {
        error = "--size " + sizeText +
                ": H.264 video (yuv420p) needs an even width and height; --frames-only takes any size";
        return false;
    }
    return true;
}

std::string RateForFfmpeg(const platform::FrameRate& rate) {
    if (rate.denominator == 1) return std::to_string(rate.numerator);
    return std::to_string(rate.numerator) + "/" + std::to_string(rate.denominator);
}

}  // namespace velmora::tools
