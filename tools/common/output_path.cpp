#include "common/output_path.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace velmora::tools {

namespace {

// What stands at path, for the reason given; empty when nothing does.
// stat follows links, so a link is judged by what it leads to.
bool Stat(const std::string& path, struct stat& info, bool& exists, std::string& why) {
    exists = stat(path.c_str(), &info) == 0;
    if (exists || errno == ENOENT || errno == ENOTDIR) return true;
    why = "cannot tell what " + path + " is: " + std::strerror(errno);
    return false;
}

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

}  // namespace

bool CheckOutputFile(const std::string& path, std::string& why) {
    struct stat info;
    bool exists = false;
    if (!Stat(path, info, exists, why)) return false;
    if (!exists || S_ISREG(info.st_mode)) return true;
    why = path + " is " + KindOf(info.st_mode) + "; name a new or regular file to write";
    return false;
}

bool CheckOutputFolder(const std::string& path, std::string& why) {
    struct stat info;
    bool exists = false;
    if (!Stat(path, info, exists, why)) return false;
    if (!exists || S_ISDIR(info.st_mode)) return true;
    why = path + " is " + (S_ISREG(info.st_mode) ? "a file" : KindOf(info.st_mode)) +
          "; name a new folder or a folder to write into";
    return false;
}

}  // namespace velmora::tools
