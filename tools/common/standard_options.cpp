#include "common/standard_options.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace velmora::tools {

std::optional<int> AnswerStandardOptions(int argc, const char* const* argv, const char* name, const char* help,
                                         bool ownOptions) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fputs(help, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("%s %s\n", name, VELMORA_VERSION);
            return 0;
        }
    }
    if (ownOptions) return std::nullopt;
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] != '-' || argv[i][1] == '\0') continue;
        const char* usageEnd = std::strchr(help, '\n');
        const std::string usage(help, usageEnd ? static_cast<size_t>(usageEnd - help) : std::strlen(help));
        std::fprintf(stderr, "%s: unknown option %s; %s\n", name, argv[i], usage.c_str());
        return 2;
    }
    return std::nullopt;
}

}  // namespace velmora::tools
