#include "archive_writer.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "packer.h"
#include "common/atomic_file.h"

namespace velmora::tools {
namespace {

constexpr int64_t kLargestArchive = 0x7FFFFFFF;  // offsets are 32-bit signed
constexpr size_t kProgressFrom = 4 << 20;

void PutInt(std::vector<uint8_t>& out, int64_t value) {
    uint32_t v = static_cast<uint32_t>(value);
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "cannot read " + path;
        return false;
    }
    if (info.st_size > kLargestArchive) {
        error = path + " is too large for an archive";
        return false;
    }
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    bytes.resize(static_cast<size_t>(info.st_size));
    bool read = std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size() &&
                std::fgetc(file) == EOF;
    std::fclose(file);
    if (!read) error = "cannot read " + path;
    return read;
}

}  // namespace

std::string BareName(const std::string& path) {
    size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool CreateArchive(const std::string& archivePath, const std::vector<std::string>& files,
                   std::string& error, bool showProgress, Parse parse) {
    int64_t directorySize = 4;
    for (const std::string& path : files) {
        std::string name = BareName(path);
        if (name.empty()) {
            error = path + " has no file name";
            return false;
        }
        directorySize += 4 + static_cast<int64_t>(name.size()) + 1 + 12;
    }
    if (directorySize > kLargestArchive) {
        error = archivePath + ": too many files for an archive";
        return false;
    }

    velmora::tools::AtomicFile temporary(archivePath);
    if (!temporary.File()) {
        error = "cannot write " + archivePath;
        return false;
    }
    FILE* out = temporary.File();
    // The directory is written last, once the offsets are known.
    std::vector<uint8_t> directory(static_cast<size_t>(directorySize), 0);
    if (std::fwrite(directory.data(), 1, directory.size(), out) != directory.size()) {
        error = "cannot write " + archivePath;
        return false;
    }
    directory.clear();
    PutInt(directory, static_cast<int64_t>(files.size()));

    int64_t offset = directorySize;
    std::vector<uint8_t> bytes;
    for (const std::string& path : files) {
        if (!ReadWholeFile(path, bytes, error)) return false;
        std::string name = BareName(path);
        PackProgress progress;
        bool reporting = showProgress && bytes.size() > kProgressFrom;
        if (reporting)
            progress = [&name](size_t done, size_t total) {
                std::fprintf(stderr, "\rqxpack: packing %s %3d%%", name.c_str(),
                             static_cast<int>(done * 100 / total));
                std::fflush(stderr);
            };
        std::vector<uint8_t> packed = PackData(bytes.data(), bytes.size(), nullptr, progress, parse);
        if (reporting) std::fprintf(stderr, "\n");
        if (offset + static_cast<int64_t>(packed.size()) > kLargestArchive) {
            error = archivePath + ": archive would exceed 2 GB at " + path;
            return false;
        }
        if (std::fwrite(packed.data(), 1, packed.size(), out) != packed.size()) {
            error = "cannot write " + archivePath;
            return false;
        }
        PutInt(directory, static_cast<int64_t>(name.size()) + 1);
        directory.insert(directory.end(), name.begin(), name.end());
        directory.push_back(0);
        PutInt(directory, static_cast<int64_t>(bytes.size()));
        PutInt(directory, offset);
        PutInt(directory, 0);
        offset += static_cast<int64_t>(packed.size());
    }
    if (std::fseek(out, 0, SEEK_SET) != 0 ||
        std::fwrite(directory.data(), 1, directory.size(), out) != directory.size() ||
        std::fflush(out) != 0 || !temporary.Keep()) {
        error = "cannot write " + archivePath;
        return false;
    }
    return true;
}

}  // namespace velmora::tools
