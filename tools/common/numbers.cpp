#include "common/numbers.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

namespace velmora::tools {

bool ReadWholeNumber(const char* text, int64_t& value) {
    if (!text || !*text) return false;
    constexpr int64_t kLargest = 1000000000000000000;
    value = 0;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9') return false;
        const int digit = *p - '0';
        value = value > (kLargest - digit) / 10 ? kLargest : value * 10 + digit;
    }
    return true;
}

bool ReadNumber(const char* text, int low, int high, int& value) {
    int64_t number = 0;
    if (!ReadWholeNumber(text, number) || number < low || number > high) return false;
    value = static_cast<int>(number);
    return true;
}

bool ReadDecimal(const char* text, double low, double high, double& value) {
    if (!text || !*text || std::strspn(text, "0123456789.") != std::strlen(text)) return false;
    const char* point = std::strchr(text, '.');
    if (point && (std::strchr(point + 1, '.') || std::strlen(text) == 1)) return false;
    char* end = nullptr;
    const double number = std::strtod(text, &end);
    if (*end || !std::isfinite(number) || number < low || number > high) return false;
    value = number;
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
