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
// With localPath set, cuts name in place to the part after its last '\\' or '/'.
void StripDataPath(char* name);
// Unpacks one packed block of packedLength bytes into size bytes at destination.
// 1 when the block ends with its end marker having written exactly size bytes;
// 0 for a damaged block. Never reads or writes outside the two buffers. With a
// null destination the block is only followed and checked, nothing written.
int32_t DecompressData(const uint8_t* source, int32_t packedLength, uint8_t* destination,
                       int32_t size);
// Writes every archived file to a disk file of its name in the current directory.
void UnpackDataArchive();
