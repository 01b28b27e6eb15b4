// A file written under a temporary name beside its target and renamed to the
// target only once it is complete, so that a failure leaves no partial file.
#pragma once

#include <cstdio>
#include <string>

namespace velmora::tools {

class AtomicFile {
public:
    explicit AtomicFile(const std::string& target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Null when the temporary file could not be created.
    FILE* File() const { return file_; }
    // Closes the file and renames it to the target; false when either fails,
    // and the temporary file is then removed.
    bool Keep();

private:
    std::string target_;
    std::string path_;
    FILE* file_ = nullptr;
    bool created_ = false;
    bool kept_ = false;
};

// Writes size bytes to path through a temporary file; false on any failure,
// with errno telling why.
bool WriteWholeFile(const std::string& path, const void* data, size_t size);

}  // namespace velmora::tools
