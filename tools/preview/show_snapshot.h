// The preview plays a copy of the show folder, not the folder itself, so
// that a save that leaves the show unreadable cannot take away the show on
// screen: the last copy that read stays until a new one reads.
#pragma once

#include <string>

namespace velmora::tools {

class ShowSnapshot {
public:
    ShowSnapshot() = default;
    ~ShowSnapshot() { Remove(); }
    ShowSnapshot(ShowSnapshot&& other) noexcept : path_(std::move(other.path_)) { other.path_.clear(); }
    ShowSnapshot& operator=(ShowSnapshot&& other) noexcept;

    // A new temporary folder holding the show folder's files and subfolders
    // (hidden names and the log left out). False with why when it cannot be made.
    bool Take(const std::string& showFolder, std::string& why);
    void Remove();
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace velmora::tools
