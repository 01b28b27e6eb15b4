#include "common/atomic_file.h"

#include <sys/stat.h>
#include <unistd.h>

namespace velmora::tools {

AtomicFile::AtomicFile(const std::string& target) : target_(target), path_(target + ".XXXXXX") {
    int descriptor = mkstemp(path_.data());
    if (descriptor < 0) return;
    created_ = true;
    file_ = fdopen(descriptor, "wb");
    if (!file_) close(descriptor);
}

AtomicFile::~AtomicFile() {
    if (file_) std::fclose(file_);
    if (created_ && !kept_) unlink(path_.c_str());
}

bool AtomicFile::Keep() {
    if (!file_) return false;
    bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!closed) return false;
    // mkstemp creates 0600; the file gets the usual permissions.
    mode_t mask = umask(0);
    umask(mask);
    chmod(path_.c_str(), 0666 & ~mask);
    kept_ = std::rename(path_.c_str(), target_.c_str()) == 0;
    return kept_;
}

bool WriteWholeFile(const std::string& path, const void* data, size_t size) {
    AtomicFile file(path);
    return file.File() && std::fwrite(data, 1, size, file.File()) == size && file.Keep();
}

}  // namespace velmora::tools
