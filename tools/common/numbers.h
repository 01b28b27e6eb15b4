// Numbers on the tools' command lines: digits only (no sign, no blank), and
// picture sizes written WxH.
#pragma once

namespace velmora::tools {

// A whole number of digits only, from low to high.
bool ReadNumber(const char* text, int low, int high, int& value);

// "WxH", each side a whole number from 1 to largest.
bool ReadSize(const char* text, int largest, int& width, int& height);

}  // namespace velmora::tools
