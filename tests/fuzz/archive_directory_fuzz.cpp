// The archive directory reader and the entry reader on any archive file: a
// directory it accepts must fit the file, and every entry it accepts must be
// read or refused without touching memory outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "data/archive_reader.h"

namespace {

const char* ArchivePath() {
    static char path[] = "/tmp/velmora-archive-fuzz-XXXXXX";
    static bool made = false;
    if (!made) {
        int descriptor = mkstemp(path);
        if (descriptor < 0) std::abort();
        close(descriptor);
        made = true;
    }
    return path;
}

// Entries that claim more than this are skipped to keep the run fast; the
// reader's own checks do not depend on the size.
constexpr int32_t kLargestOpened = 16 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const char* path = ArchivePath();
    FILE* file = std::fopen(path, "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    DataArchive archive{};
    if (!ReadArchiveDirectory(path, &archive)) {
        if (archive.entries || archive.entryCount || archive.path) std::abort();
        return 0;
    }
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
        if (MemoryFile* entry = ReadArchiveEntry(&archive, i)) {
            if (entry->size != archive.entries[i].size) std::abort();
            MemClose(entry);
        }
    }
    FreeArchiveDirectory(&archive);
    return 0;
}
