// A folder for a capture's work in progress, beside its output so that the
// finished file or folder is renamed into place: removed with everything in
// it when the capture does not finish.
#pragma once

#include <string>

namespace velmora::capture {

class TemporaryFolder {
public:
    TemporaryFolder() = default;
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() { Remove(); }

    // Makes PARENT/.NAME.capture-XXXXXX; false with the reason when it cannot.
    bool Make(const std::string& parent, const std::string& name, std::string& why);
    const std::string& path() const { return path_; }
    // The folder itself has become the output: it is no longer removed.
    void Keep() { path_.clear(); }
    void Remove();

private:
    std::string path_;
};

}  // namespace velmora::capture
