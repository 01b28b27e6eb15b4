// Reading an archive's directory and its entries, shared by the lookup in
// OpenDataFile, the archive tools and the fuzz targets.
#pragma once

#include <cstdint>
#include <cstdio>

#include "data/data_archive.h"

// Reads and checks the directory of the archive at path into archive (which
// must hold nothing). 1 on success; 0 with an "ERROR:" log line when the file
// is missing or its directory does not fit the file, and archive left empty.
int32_t ReadArchiveDirectory(const char* path, DataArchive* archive);
// The same from an archive already open for reading at file; path is kept as
// the archive's path and named in the log lines. The stream is left open.
int32_t ReadArchiveDirectoryFrom(FILE* file, const char* path, DataArchive* archive);
// Frees what ReadArchiveDirectory allocated and empties the record.
void FreeArchiveDirectory(DataArchive* archive);
// The bytes the archive holds for its share of the file memory counter.
int32_t ArchiveDirectoryMemory(const DataArchive* archive);
// The last entry whose name equals name case-insensitively, or -1.
int32_t FindArchiveEntry(const DataArchive* archive, const char* name);
// Entry index unpacked into a new MemoryFile with the entry's name; null with an "ERROR:"
// log line naming it when the block cannot be read or does not unpack to
// exactly the entry's size.
MemoryFile* ReadArchiveEntry(const DataArchive* archive, int32_t index);
// The same from the archive open for reading at file, which is left open.
MemoryFile* ReadArchiveEntryFrom(FILE* file, const DataArchive* archive, int32_t index);
// A new MemoryFile of size bytes (contents undefined) carrying a copy of name,
// counted in the file memory counter; null when memory runs out.
MemoryFile* NewMemoryFile(const char* name, int32_t size);
