#include "qxconvert/output_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "common/output_path.h"
#include "common/staging_folder.h"

namespace velmora::tools {

StagedOutput::~StagedOutput() {
    if (staging_.path().empty()) return;
    staging_.Remove();
    if (madeDirectory_ && !committed_) rmdir(directory_.c_str());  // only if empty
}

bool StagedOutput::Begin(const std::string& directory, std::string& why) {
    directory_ = directory.empty() ? "." : directory;
    std::error_code failure;
    madeDirectory_ = std::filesystem::create_directories(directory_, failure);
    struct stat info {};
    if (stat(directory_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        why = directory_ + " cannot be made: " +
              (failure ? failure.message() : std::string(errno ? std::strerror(errno) : "not a folder"));
        return false;
    }
    if (!staging_.Make(directory_, ".qxconvert")) {
        why = directory_ + " cannot be written: " + std::strerror(errno);
        return false;
    }
    return true;
}

bool StagedOutput::Write(const std::string& name, const std::vector<uint8_t>& bytes, std::string& why) {
    // What Commit would rename over must be a file it may replace.
    if (!CheckOutputFile(directory_ + "/" + name, why)) return false;
    std::string path = staging_.path() + "/" + name;
    int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        why = directory_ + "/" + name + " cannot be written: " + std::strerror(errno);
        return false;
    }
    names_.push_back(name);
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = write(descriptor, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    int writeError = errno;
    bool closed = close(descriptor) == 0;
    if (written != bytes.size() || !closed) {
        why = directory_ + "/" + name + " cannot be written: " + std::strerror(closed ? writeError : errno);
        return false;
    }
    return true;
}

bool StagedOutput::Write(const std::string& name, const std::string& text, std::string& why) {
    return Write(name, std::vector<uint8_t>(text.begin(), text.end()), why);
}

bool StagedOutput::HasEntry(const std::string& name) const {
    DIR* listing = opendir(directory_.c_str());
    if (!listing) return false;
    bool found = false;
    while (dirent* entry = readdir(listing))
        if (strcasecmp(entry->d_name, name.c_str()) == 0) found = true;
    closedir(listing);
    return found;
}

bool StagedOutput::Commit(std::string& why) {
    // In the order written: the scene after its textures, the script last.
    size_t moved = 0;
    for (; moved < names_.size(); ++moved) {
        const std::string to = directory_ + "/" + names_[moved];
        if (!staging_.Publish(names_[moved], to)) {
            why = to + " cannot be written: " + std::strerror(errno);
            break;
        }
    }
    committed_ = moved > 0;
    names_.erase(names_.begin(), names_.begin() + static_cast<std::ptrdiff_t>(moved));
    return names_.empty();
}

}  // namespace velmora::tools
