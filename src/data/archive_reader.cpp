#include "data/archive_reader.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "data/data_name.h"
#include "data/disk_lookup.h"
#include "diag/log.h"
#include "diag/memory_counters.h"

namespace {

// The smallest directory entry: length, a name of just its zero byte, size,
// offset and reserved.
constexpr int64_t kSmallestEntry = 4 + 1 + 4 + 4 + 4;

// Blocks that claim to unpack to more than this many bytes per packed byte are
// checked in full before the output is allocated.
constexpr int64_t kCheckedRatio = 64;
constexpr int64_t kCheckedSize = 1 << 20;

bool ReadInt(FILE* file, int32_t& value) {
    uint8_t bytes[4];
    if (std::fread(bytes, 1, 4, file) != 4) return false;
    value = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) |
                                 static_cast<uint32_t>(bytes[1]) << 8 |
                                 static_cast<uint32_t>(bytes[2]) << 16 |
                                 static_cast<uint32_t>(bytes[3]) << 24);
    return true;
}

void LogWithBlankLine(const char* format, const char* name) {
    WriteLogFormat(format, name);
    WriteLog("");
}

// Reads the entries after the count; false at the first one that does not fit.
bool ReadEntries(FILE* file, int64_t fileSize, DataArchive* archive) {
    int64_t at = 4;
    for (int32_t i = 0; i < archive->entryCount; ++i) {
        ArchiveEntry& entry = archive->entries[i];
        int32_t length;
        if (!ReadInt(file, length)) return false;
        at += 4;
        if (length < 1 || length > fileSize - at - 12) return false;
        entry.name = static_cast<char*>(std::malloc(static_cast<size_t>(length)));
        if (!entry.name) return false;
        if (std::fread(entry.name, 1, static_cast<size_t>(length), file) !=
                static_cast<size_t>(length) ||
            entry.name[length - 1] != '\0')
            return false;
        at += length;
        if (!ReadInt(file, entry.size) || !ReadInt(file, entry.offset) ||
            !ReadInt(file, entry.reserved))
            return false;
        at += 12;
        if (entry.size < 0) return false;
    }
    // The blocks follow the directory in its order and end within the file.
    int64_t previous = at;
    for (int32_t i = 0; i < archive->entryCount; ++i) {
        int64_t offset = archive->entries[i].offset;
        if (offset < previous || offset > fileSize) return false;
        previous = offset;
    }
    return true;
}

}  // namespace

int32_t ReadArchiveDirectory(const char* path, DataArchive* archive) {
    *archive = DataArchive{};
    FILE* file = OpenDiskFile(path);
    if (!file) {
        LogWithBlankLine("ERROR:\t\t%s\tdata file not found", path ? path : "");
        return 0;
    }
    int32_t read = ReadArchiveDirectoryFrom(file, path, archive);
    std::fclose(file);
    return read;
}

int32_t ReadArchiveDirectoryFrom(FILE* file, const char* path, DataArchive* archive) {
    *archive = DataArchive{};
    long end = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) end = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (end < 0 || end > INT32_MAX) {
        LogWithBlankLine("ERROR:\t\t%s\tdata file too large", path);
        return 0;
    }
    int64_t fileSize = end;
    int32_t count = 0;
    bool sound = fileSize >= 4 && ReadInt(file, count) && count >= 0 &&
                 count <= (fileSize - 4) / kSmallestEntry;
    if (sound) {
        archive->entries = static_cast<ArchiveEntry*>(
            std::calloc(count > 0 ? static_cast<size_t>(count) : 1, sizeof(ArchiveEntry)));
        archive->entryCount = count;
        archive->fileSize = static_cast<int32_t>(fileSize);
        size_t pathLength = std::strlen(path);
        archive->path = static_cast<char*>(std::malloc(pathLength + 1));
        sound = archive->entries && archive->path && ReadEntries(file, fileSize, archive);
        if (archive->path) std::memcpy(archive->path, path, pathLength + 1);
    }
    if (!sound) {
        FreeArchiveDirectory(archive);
        LogWithBlankLine("ERROR:\t\t%s\tdata file damaged", path);
        return 0;
    }
    return 1;
}

void FreeArchiveDirectory(DataArchive* archive) {
    if (archive->entries)
        for (int32_t i = 0; i < archive->entryCount; ++i) std::free(archive->entries[i].name);
    std::free(archive->entries);
    std::free(archive->path);
    *archive = DataArchive{};
}

int32_t ArchiveDirectoryMemory(const DataArchive* archive) {
    if (!archive->entries) return 0;
    int64_t bytes = 16 * static_cast<int64_t>(archive->entryCount);
    for (int32_t i = 0; i < archive->entryCount; ++i)
        bytes += static_cast<int64_t>(std::strlen(archive->entries[i].name)) + 1;
    if (archive->path) bytes += static_cast<int64_t>(std::strlen(archive->path));
    return bytes > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bytes);
}

int32_t FindArchiveEntry(const DataArchive* archive, const char* name) {
    int32_t found = -1;
    if (!archive->entries || !name) return found;
    // The whole directory is scanned: of several entries of one name the last counts.
    for (int32_t i = 0; i < archive->entryCount; ++i)
        if (DataNamesEqual(archive->entries[i].name, name)) found = i;
    return found;
}

MemoryFile* NewMemoryFile(const char* name, int32_t size) {
    if (size < 0) return nullptr;
    size_t nameLength = std::strlen(name);
    auto* file = static_cast<MemoryFile*>(std::calloc(1, sizeof(MemoryFile)));
    if (!file) return nullptr;
    file->name = static_cast<char*>(std::calloc(nameLength + 2, 1));
    file->data = static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1));
    if (!file->name || !file->data) {
        std::free(file->name);
        std::free(file->data);
        std::free(file);
        return nullptr;
    }
    std::memcpy(file->name, name, nameLength);
    file->size = size;
    file->position = 0;
    CountMemory(&fileMemoryCounter, 16 + static_cast<int64_t>(nameLength) + 2 + size);
    return file;
}

MemoryFile* ReadArchiveEntry(const DataArchive* archive, int32_t index) {
    if (!archive->entries || index < 0 || index >= archive->entryCount) return nullptr;
    FILE* file = OpenDiskFile(archive->path);
    if (!file) {
        LogWithBlankLine("ERROR:\t\t%s\tdata file not found", archive->path);
        return nullptr;
    }
    MemoryFile* result = ReadArchiveEntryFrom(file, archive, index);
    std::fclose(file);
    return result;
}

MemoryFile* ReadArchiveEntryFrom(FILE* file, const DataArchive* archive, int32_t index) {
    if (!archive->entries || index < 0 || index >= archive->entryCount) return nullptr;
    const ArchiveEntry& entry = archive->entries[index];
    int64_t end = index + 1 < archive->entryCount ? archive->entries[index + 1].offset
                                                  : archive->fileSize;
    int64_t packedLength = end - entry.offset;

    uint8_t* packed = static_cast<uint8_t*>(
        std::malloc(packedLength > 0 ? static_cast<size_t>(packedLength) : 1));
    bool read = packed && std::fseek(file, entry.offset, SEEK_SET) == 0 &&
                std::fread(packed, 1, static_cast<size_t>(packedLength), file) ==
                    static_cast<size_t>(packedLength);

    // A size far beyond what the block could plausibly hold is proven by a
    // dry run before that much memory is taken.
    bool plausible = entry.size <= kCheckedSize || entry.size / kCheckedRatio <= packedLength;
    MemoryFile* result = nullptr;
    bool sound = read && (plausible || DecompressData(packed, static_cast<int32_t>(packedLength),
                                                      nullptr, entry.size));
    if (sound) {
        result = NewMemoryFile(entry.name, entry.size);
        if (!result) {
            std::free(packed);
            LogWithBlankLine("ERROR:\t\t%s\tnot enough memory", entry.name);
            return nullptr;
        }
        if (!DecompressData(packed, static_cast<int32_t>(packedLength), result->data,
                            entry.size)) {
            MemClose(result);
            result = nullptr;
        }
    }
    std::free(packed);
    if (!result) LogWithBlankLine("ERROR:\t\t%s\tfile damaged in datafile", entry.name);
    return result;
}
