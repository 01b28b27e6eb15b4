#include "show_snapshot.h"

#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace velmora::tools {

namespace fs = std::filesystem;

ShowSnapshot& ShowSnapshot::operator=(ShowSnapshot&& other) noexcept {
    if (this != &other) {
        Remove();
        path_ = std::move(other.path_);
        other.path_.clear();
    }
    return *this;
}

bool ShowSnapshot::Take(const std::string& showFolder, std::string& why) {
    Remove();
    std::error_code failed;
    std::string pattern = (fs::temp_directory_path(failed) / "velmora-preview-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        why = "cannot make a folder for the show's copy: " + std::string(std::strerror(errno));
        return false;
    }
    path_ = name.data();
    for (auto it = fs::recursive_directory_iterator(showFolder, failed); !failed && it != fs::end(it);
         it.increment(failed)) {
        const std::string leaf = it->path().filename().string();
        if (leaf.empty() || leaf[0] == '.' || leaf == "Log.TXT") {
            if (it->is_directory(failed)) it.disable_recursion_pending();
            continue;
        }
        const fs::path to = fs::path(path_) / fs::relative(it->path(), showFolder, failed);
        if (it->is_directory(failed))
            fs::create_directories(to, failed);
        else if (it->is_regular_file(failed))
            fs::copy_file(it->path(), to, fs::copy_options::overwrite_existing, failed);
        if (failed) break;
    }
    if (failed) {
        why = "cannot copy " + showFolder + ": " + failed.message();
        Remove();
        return false;
    }
    return true;
}

void ShowSnapshot::Remove() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    path_.clear();
}

}  // namespace velmora::tools
