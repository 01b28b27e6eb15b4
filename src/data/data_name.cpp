#include "data/data_name.h"

#include <cstring>

#include "data/data_archive.h"

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool DataNamesEqual(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (Lower(*a) != Lower(*b)) return false;
        if (*a == '\0') return true;
    }
}

bool IsBareDataName(const char* name) {
    if (!name || !*name) return false;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    return !std::strchr(name, '/') && !std::strchr(name, '\\');
}

void StripDataPath(char* name) {
    if (!localPath || !name) return;
    char* cut = nullptr;
    for (char* p = name; *p; ++p)
        if (*p == '\\') cut = p;
    if (cut) std::memmove(name, cut + 1, std::strlen(cut + 1) + 1);
}
