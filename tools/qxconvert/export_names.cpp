#include "qxconvert/export_names.h"

#include <algorithm>
#include <cctype>

namespace velmora::tools {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

std::string SafeWord(const std::string& text, size_t maxLength) {
    std::string out;
    for (unsigned char c : text) {
        if (out.size() >= maxLength) break;
        out.push_back(std::isalnum(c) || c == '_' || c == '-' || c == '.' ? static_cast<char>(c) : '_');
    }
    // Nothing but filler is no name.
    if (out.find_first_not_of("_.") == std::string::npos) return "";
    return out;
}

std::string NameSet::Take(const std::string& wanted, const std::string& fallback, size_t maxLength,
                          const std::string& extension) {
    size_t room = maxLength > extension.size() ? maxLength - extension.size() : 1;
    std::string stem = SafeWord(wanted, room);
    if (stem.empty()) stem = SafeWord(fallback, room);
    if (stem.empty()) stem = "x";
    std::string name = stem + extension;
    for (int n = 2; taken_.count(Lower(name)); ++n) {
        std::string suffix = "_" + std::to_string(n);
        name = stem.substr(0, std::min(stem.size(), room > suffix.size() ? room - suffix.size() : 0)) + suffix +
               extension;
    }
    taken_.insert(Lower(name));
    return name;
}

}  // namespace velmora::tools
