// For the platform set-up and tests: the executable's path that
// GetModuleFileNameA reports, so that files written beside the executable land
// in a folder of the test's own, and the per-user folders SHGetFolderPathA
// reports.
#pragma once

#include <string>

namespace velmora::platform {

// An empty path reports the real executable again.
void UseModuleFileName(const std::string& path);

// The folders behind CSIDL_APPDATA (settings) and CSIDL_LOCAL_APPDATA (logs);
// an empty one is a folder the user does not have.
void UseUserFolders(const std::string& settingsFolder, const std::string& localFolder);

}  // namespace velmora::platform
