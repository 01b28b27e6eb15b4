// Temporary directories and whole-file reads for tests.
#pragma once

#include <string>
#include <vector>

namespace velmora::testing {

// A new empty directory under the system's temporary directory.
std::string MakeTempDirectory();
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);
// A log file's lines, each ended by CR LF (the ending not included).
std::vector<std::string> ReadLogLines(const std::string& path);

}  // namespace velmora::testing
