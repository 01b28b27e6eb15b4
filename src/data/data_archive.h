// The packed data archive and the lookup of every data file: archive first,
// then disk.
#pragma once

#include <cstdint>

#include "data/memory_file.h"

struct ArchiveEntry {
    char* name;
    int32_t size;
    int32_t offset;
    int32_t reserved;
};

struct DataArchive {
    ArchiveEntry* entries;
    int32_t entryCount;
    int32_t fileSize;
    char* path;
};

extern DataArchive dataArchive;
// The "Local path" setting: names lose their directory part before lookup.
extern int32_t localPath;

// Reads the directory of the named archive; a missing archive leaves every
// lookup to the disk.
void LoadDataArchive(const char* fileName);
// The named file, unpacked, from the archive or else the disk; null when neither has it.
MemoryFile* OpenDataFile(const char* name);
void StripDataPath(char* name);
void DecompressData(const uint8_t* source, uint8_t* destination);
void UnpackDataArchive();
