// For tests: the executable's path that GetModuleFileNameA reports, so that
// files written beside the executable land in a folder of the test's own.
#pragma once

#include <string>

namespace velmora::platform {

// An empty path reports the real executable again.
void UseModuleFileName(const std::string& path);

}  // namespace velmora::platform
