#include "preview_options.h"

#include "common/numbers.h"

namespace velmora::tools {

namespace {

constexpr double kLatestSecond = 1073741.0;  // the latest action time the timeline takes
constexpr int kLargestSide = 8192;

}  // namespace

bool ParsePreviewOptions(int argc, const char* const* argv, PreviewOptions& options, std::string& error) {
    options = PreviewOptions{};
    bool haveShow = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto bad = [&](const std::string& what) {
            error = argument + " takes " + what + (value ? std::string(", not \"") + value + "\"" : "");
            return false;
        };
        if (argument == "--at") {
            if (!value || !ReadDecimal(value, 0.0, kLatestSecond, options.atSeconds))
                return bad("a show time in seconds such as 12 or 15.5");
            ++i;
        } else if (argument == "--loop") {
            const std::string text = value ? value : "";
            const size_t dash = text.find('-');
            if (dash == std::string::npos ||
                !ReadDecimal(text.substr(0, dash).c_str(), 0.0, kLatestSecond, options.loopFrom) ||
                !ReadDecimal(text.substr(dash + 1).c_str(), 0.0, kLatestSecond, options.loopTo) ||
                !(options.loopTo > options.loopFrom))
                return bad("two show times in seconds, the first the earlier, such as 8-15.5");
            options.loop = true;
            ++i;
        } else if (argument == "--size") {
            if (!value || !ReadSize(value, kLargestSide, options.width, options.height))
                return bad("WIDTHxHEIGHT, each 1 to " + std::to_string(kLargestSide) + ", such as 800x600");
            ++i;
        } else if (argument == "--fps") {
            if (!value || !platform::ParseFrameRate(value, options.rate) ||
                options.rate.numerator > 240 * options.rate.denominator ||
                options.rate.numerator < options.rate.denominator)
                return bad("a frame rate from 1 to 240 such as 60 or 59.94");
            ++i;
        } else if (argument == "--picture") {
            if (!value || !*value) return bad("the PNG file to write");
            options.picture = value;
            ++i;
        } else if (argument == "--seek-times") {
            options.seekTimes = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            error = "unknown option " + argument + "; " + kPreviewUsage;
            return false;
        } else if (argument.empty() || haveShow) {
            error = std::string(argument.empty() ? "an empty name" : "one show at a time") + "; " + kPreviewUsage;
            return false;
        } else {
            options.showDirectory = argument;
            haveShow = true;
        }
    }
    return true;
}

}  // namespace velmora::tools
