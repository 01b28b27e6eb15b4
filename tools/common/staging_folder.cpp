#include "common/staging_folder.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace velmora::tools {

bool StagingFolder::Make(const std::string& parent, const std::string& prefix) {
    Remove();
    std::string pattern = parent + "/" + prefix + "-XXXXXX";
    if (!mkdtemp(pattern.data())) return false;
    path_ = pattern;
    return true;
}

bool StagingFolder::Publish(const std::string& name, const std::string& target) const {
    return !path_.empty() && std::rename((path_ + "/" + name).c_str(), target.c_str()) == 0;
}

bool StagingFolder::PublishWhole(const std::string& target) {
    if (path_.empty()) return false;
    // mkdtemp makes 0700; the output gets what a new folder would.
    const mode_t mask = umask(0);
    umask(mask);
    chmod(path_.c_str(), 0777 & ~mask);
    if (std::rename(path_.c_str(), target.c_str()) != 0) return false;
    path_.clear();
    return true;
}

void StagingFolder::Remove() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    path_.clear();
}

}  // namespace velmora::tools
