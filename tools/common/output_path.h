// The outputs named on the tools' command lines: a tool writes a file only
// where there is none yet or a regular file it may replace, and a folder only
// where there is none yet or a folder. Anything else there (a device such as
// /dev/null, a FIFO, a socket) is refused before anything is written: the
// tools write under a temporary name and rename, which would put a regular
// file in the node's place.
#pragma once

#include <string>

namespace velmora::tools {

// True when path names nothing yet or a regular file (through links);
// otherwise false with a one-line reason naming path.
bool CheckOutputFile(const std::string& path, std::string& why);

// True when path names nothing yet or a folder (through links); otherwise
// false with a one-line reason naming path.
bool CheckOutputFolder(const std::string& path, std::string& why);

}  // namespace velmora::tools
