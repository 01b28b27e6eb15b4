// A hidden folder beside a tool's outputs where they are written in full
// before they take their names, so that a tool that fails or is stopped
// leaves nothing half-written under an output's name. Removed with whatever
// is still in it unless kept.
#pragma once

#include <string>

namespace velmora::tools {

class StagingFolder {
public:
    StagingFolder() = default;
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder() { Remove(); }

    // Makes PARENT/PREFIX-XXXXXX (the prefix starts with a point to hide it);
    // false, with errno telling why, when it cannot.
    bool Make(const std::string& parent, const std::string& prefix);
    const std::string& path() const { return path_; }

    // Renames the staged file NAME to target; false, with errno telling why,
    // when the rename fails.
    bool Publish(const std::string& name, const std::string& target) const;
    // Renames the folder itself to target, given the permissions a new folder
    // gets, and keeps it; false, with errno telling why, when that fails.
    bool PublishWhole(const std::string& target);

    void Remove();

private:
    std::string path_;
};

}  // namespace velmora::tools
