#include "temporary_folder.h"

#include <stdlib.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace velmora::capture {

bool TemporaryFolder::Make(const std::string& parent, const std::string& name, std::string& why) {
    std::string pattern = parent + "/." + name + ".capture-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        why = "cannot write in " + parent + ": " + std::strerror(errno);
        return false;
    }
    path_ = pattern;
    return true;
}

void TemporaryFolder::Remove() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
    path_.clear();
}

}  // namespace velmora::capture
