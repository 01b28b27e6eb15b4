#include "data/data_archive.h"

#include <climits>
#include <cstdio>

#include "data/archive_reader.h"
#include "data/data_name.h"
#include "data/disk_lookup.h"
#include "diag/log.h"
#include "diag/memory_counters.h"

DataArchive dataArchive;
int32_t localPath = 0;

namespace {

void LogWithBlankLine(const char* format, const char* name) {
    WriteLogFormat(format, name);
    WriteLog("");
}

// The whole disk file as a MemoryFile under the requested name, or null.
MemoryFile* ReadDiskFile(const char* name) {
    FILE* file = OpenDiskFile(name);
    if (!file) return nullptr;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (size < 0 || size > INT32_MAX) {
        std::fclose(file);
        WriteLogFormat("ERROR:\t\t%s\tfile too large", name);
        return nullptr;
    }
    MemoryFile* memoryFile = NewMemoryFile(name, static_cast<int32_t>(size));
    if (!memoryFile) {
        std::fclose(file);
        WriteLogFormat("ERROR:\t\t%s\tnot enough memory", name);
        return nullptr;
    }
    bool read = std::fread(memoryFile->data, 1, static_cast<size_t>(size), file) ==
                static_cast<size_t>(size);
    std::fclose(file);
    if (!read) {
        MemClose(memoryFile);
        WriteLogFormat("ERROR:\t\t%s\tfile not readable", name);
        return nullptr;
    }
    return memoryFile;
}

}  // namespace

void LoadDataArchive(const char* fileName) {
    // Only one directory is ever held; a second load replaces the first.
    CountMemory(&fileMemoryCounter, -static_cast<int64_t>(ArchiveDirectoryMemory(&dataArchive)));
    FreeArchiveDirectory(&dataArchive);
    if (!fileName || !*fileName) return;
    if (ReadArchiveDirectory(fileName, &dataArchive))
        CountMemory(&fileMemoryCounter, ArchiveDirectoryMemory(&dataArchive));
}

MemoryFile* OpenDataFile(const char* name) {
    if (!name) return nullptr;
    int32_t index = FindArchiveEntry(&dataArchive, name);
    if (index >= 0) {
        // A damaged entry has been reported; the disk is tried as for a name not found.
        if (MemoryFile* file = ReadArchiveEntry(&dataArchive, index)) return file;
    } else {
        LogWithBlankLine("ERROR:\t\t%s\tfile not found in datafile", name);
    }
    return ReadDiskFile(name);
}

void UnpackDataArchive() {
    for (int32_t i = 0; i < dataArchive.entryCount; ++i) {
        const char* name = dataArchive.entries[i].name;
        // A name with a directory part would write outside the current directory.
        if (!IsBareDataName(name)) {
            WriteLogFormat("ERROR:\t\t%s\tfile name not allowed on disk", name);
            continue;
        }
        MemoryFile* file = OpenDataFile(name);
        if (!file) continue;
        FILE* out = std::fopen(name, "wb");
        bool written = out && std::fwrite(file->data, 1, static_cast<size_t>(file->size), out) ==
                                  static_cast<size_t>(file->size);
        if (out && std::fclose(out) != 0) written = false;
        MemClose(file);
        if (written)
            WriteLogFormat("Unpack:\t\t%s\t\tfile writen to disk", name);
        else
            WriteLogFormat("ERROR:\t\t%s\tfile not writen to disk", name);
    }
}
