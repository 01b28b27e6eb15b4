#include "data/disk_lookup.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "data/data_name.h"

namespace {

bool PathExists(const char* path) {
    struct stat info;
    return stat(path, &info) == 0;
}

bool IsRegularFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

// Replaces the component of length bytes at path + start by the entry of its
// directory that matches it case-insensitively (the first in byte order when
// several do, so the choice does not depend on the directory's order). The
// directory is the path before start. False when no entry matches.
bool MatchComponent(char* path, size_t start, size_t length) {
    char saved = path[start + length];
    path[start + length] = '\0';
    const char* component = path + start;

    DIR* directory;
    if (start == 0) {
        directory = opendir(".");
    } else if (start == 1) {
        directory = opendir("/");
    } else {
        path[start - 1] = '\0';
        directory = opendir(path);
        path[start - 1] = '/';
    }
    bool found = false;
    if (directory) {
        char best[256];
        while (dirent* entry = readdir(directory)) {
            if (std::strlen(entry->d_name) != length || !DataNamesEqual(entry->d_name, component))
                continue;
            if (!found || std::strcmp(entry->d_name, best) < 0) {
                std::memcpy(best, entry->d_name, length + 1);
                found = true;
            }
        }
        closedir(directory);
        if (found) std::memcpy(path + start, best, length);
    }
    path[start + length] = saved;
    return found;
}

}  // namespace

char* FindDiskPath(const char* name) {
    if (!name || !*name) return nullptr;
    size_t size = std::strlen(name);
    char* path = static_cast<char*>(std::malloc(size + 1));
    if (!path) return nullptr;
    std::memcpy(path, name, size + 1);
    for (char* p = path; *p; ++p)
        if (*p == '\\') *p = '/';

    if (!PathExists(path)) {
        // Walk the components, keeping each one that exists as written.
        size_t start = 0;
        while (start <= size) {
            size_t end = start;
            while (end < size && path[end] != '/') ++end;
            size_t length = end - start;
            bool special = length == 0 || (length == 1 && path[start] == '.') ||
                           (length == 2 && path[start] == '.' && path[start + 1] == '.');
            if (!special && length < 256) {
                char saved = path[end];
                path[end] = '\0';
                bool exists = PathExists(path);
                path[end] = saved;
                if (!exists && !MatchComponent(path, start, length)) {
                    std::free(path);
                    return nullptr;
                }
            }
            start = end + 1;
        }
    }
    if (!IsRegularFile(path)) {
        std::free(path);
        return nullptr;
    }
    return path;
}

FILE* OpenDiskFile(const char* name) {
    char* path = FindDiskPath(name);
    if (!path) return nullptr;
    FILE* file = std::fopen(path, "rb");
    std::free(path);
    return file;
}
