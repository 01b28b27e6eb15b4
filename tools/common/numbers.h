// Numbers on the tools' command lines: digits only (no sign, no blank, no
// exponent), decimals with one point at most, and picture sizes written WxH.
#pragma once

#include <cstdint>

namespace velmora::tools {

// Digits only; a number of more digits than any tool could use is kept at
// 10^18, so that a caller can still tell how far out of range it lies.
bool ReadWholeNumber(const char* text, int64_t& value);

// A whole number of digits only, from low to high.
bool ReadNumber(const char* text, int low, int high, int& value);

// A decimal such as 6, 0.5 or 29.97 (digits and at most one point, a digit
// on one side of it at least), from low to high.
bool ReadDecimal(const char* text, double low, double high, double& value);

// "WxH", each side a whole number from 1 to largest.
bool ReadSize(const char* text, int largest, int& width, int& height);

}  // namespace velmora::tools
