#include "diag/user_folder.h"

#include <cstdio>

#include "diag/log.h"
#include "platform/win32/windows.h"

bool FindUserFolder(int kind, char* path, size_t size) {
    char base[MAX_PATH];
    if (SHGetFolderPathA(nullptr, kind | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, base) != S_OK)
        return false;
    int length = std::snprintf(path, size, "%s/velmora", base);
    if (length < 0 || static_cast<size_t>(length) + 1 >= size) return false;
    if (!CreateDirectoryA(path, nullptr)) return false;
    path[length] = '/';
    path[length + 1] = '\0';
    return true;
}

bool ProgramFolderWritable() {
    DWORD attributes = GetFileAttributesA(exeDirectory[0] ? exeDirectory : ".");
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}
