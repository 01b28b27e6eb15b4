#include "show_folder.h"

#include <cstdlib>

#include "data/archive_reader.h"
#include "data/disk_lookup.h"
#include "show/show_files.h"

namespace velmora::tools {

namespace {

bool OnDisk(const char* name) {
    char* path = FindDiskPath(name);
    std::free(path);
    return path != nullptr;
}

}  // namespace

bool HoldsShow(const std::string& folder, std::string& why) {
    if (OnDisk(kShowScriptName)) return true;
    bool archived = false;
    const bool archive = OnDisk(kShowArchiveName);
    if (archive) {
        DataArchive read{};
        if (ReadArchiveDirectory(kShowArchiveName, &read)) archived = FindArchiveEntry(&read, kShowScriptName) >= 0;
        FreeArchiveDirectory(&read);
    }
    if (archived) return true;
    why = archive ? "no show in " + folder + ": MORVAST.QXP is neither in MORVAST.QXD nor beside it"
                  : "no show in " + folder + ": neither MORVAST.QXD nor MORVAST.QXP is there";
    return false;
}

}  // namespace velmora::tools
