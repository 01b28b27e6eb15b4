// The archive directory reader and the entry reader on any archive file: a
// directory it accepts must fit the file, and every entry it accepts must be
// read or refused without touching memory outside its buffers. The readers
// take the archive as one stream over the input in memory, which the entry
// reader seeks in: opening a file on disk for the directory and again for
// every entry, as the player does, is most of a run's time and depends on
// nothing in the file's bytes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "data/archive_reader.h"

namespace {

// Entries that claim more than this are skipped to keep the run fast; the
// reader's own checks do not depend on the size.
constexpr int32_t kLargestOpened = 16 << 20;

// With a buffer of its own, not one allocated for every run.
FILE* OpenInput(const uint8_t* data, size_t size) {
    static char buffer[1 << 16];
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!file || std::setvbuf(file, buffer, _IOFBF, sizeof buffer) != 0) std::abort();
    return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A stream in memory cannot be empty; an empty archive is refused by its size alone.
    if (size == 0) return 0;
    FILE* file = OpenInput(data, size);
    DataArchive archive{};
    if (!ReadArchiveDirectoryFrom(file, "fuzz.qxd", &archive)) {
        std::fclose(file);
        if (archive.entries || archive.entryCount || archive.path) std::abort();
        return 0;
    }
    if (archive.fileSize != static_cast<int64_t>(size)) std::abort();
    int64_t previous = 4;
    for (int32_t i = 0; i < archive.entryCount; ++i) {
        const ArchiveEntry& entry = archive.entries[i];
        if (entry.offset < previous || entry.offset > archive.fileSize || entry.size < 0)
            std::abort();
        previous = entry.offset;
    }
    for (int32_t i = 0; i < archive.entryCount && i < 64; ++i) {
        if (FindArchiveEntry(&archive, archive.entries[i].name) < i) std::abort();
        if (archive.entries[i].size > kLargestOpened) continue;
        if (MemoryFile* entry = ReadArchiveEntryFrom(file, &archive, i)) {
            if (entry->size != archive.entries[i].size) std::abort();
            MemClose(entry);
        }
    }
    std::fclose(file);
    FreeArchiveDirectory(&archive);
    return 0;
}
