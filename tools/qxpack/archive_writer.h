// Writing a packed data archive: the directory, then one packed block per file.
#pragma once

#include <string>
#include <vector>

#include "packer.h"

namespace velmora::tools {

// The part of path after its last '/' or '\\'.
std::string BareName(const std::string& path);

// Packs the files, in the order given and each under its bare name (reserved
// field 0), into an archive at archivePath. The archive is written under a
// temporary name beside it and renamed at the end, so a failure leaves no
// partial archive. False with a one-line message naming the file otherwise.
// With showProgress, inputs above a few megabytes report their progress on
// standard error.
bool CreateArchive(const std::string& archivePath, const std::vector<std::string>& files,
                   std::string& error, bool showProgress = false, Parse parse = Parse::kOptimal);

}  // namespace velmora::tools
