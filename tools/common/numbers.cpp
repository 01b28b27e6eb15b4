#include "common/numbers.h"

#include <cstring>
#include <string>

namespace velmora::tools {

bool ReadNumber(const char* text, int low, int high, int& value) {
    if (!text || !*text) return false;
    long long number = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        number = number * 10 + (*p - '0');
        if (number > high) return false;
    }
    if (number < low) return false;
    value = static_cast<int>(number);
    return true;
}

bool ReadSize(const char* text, int largest, int& width, int& height) {
    if (!text) return false;
    const char* x = std::strchr(text, 'x');
    if (!x) return false;
    std::string first(text, x);
    return ReadNumber(first.c_str(), 1, largest, width) && ReadNumber(x + 1, 1, largest, height);
}

}  // namespace velmora::tools
