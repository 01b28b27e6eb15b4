// Temporary directories and whole-file reads for tests.
#pragma once

#include <string>

namespace velmora::testing {

// A new empty directory under the system's temporary directory.
std::string MakeTempDirectory();
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace velmora::testing
