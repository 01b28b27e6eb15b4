#include "data/memory_file.h"

#include <cstdlib>
#include <cstring>

#include "diag/memory_counters.h"

int32_t MemRead(void* buffer, int32_t count, MemoryFile* file) {
    int32_t left = file->size - file->position;
    int32_t copied = count < left ? count : left;
    if (copied <= 0) return 0;
    std::memcpy(buffer, file->data + file->position, static_cast<size_t>(copied));
    file->position += copied;
    return copied;
}

char MemGetChar(MemoryFile* file) {
    if (file->position >= file->size) return 13;
    return static_cast<char>(file->data[file->position++]);
}

void MemSeek(MemoryFile* file, int32_t offset, int whence) {
    // 64-bit arithmetic so that no offset can wrap into the accepted range.
    int64_t size = file->size;
    int64_t target;
    switch (whence) {
    case 0:
        target = offset;
        if (target < 0 || target > size) return;
        break;
    case 1:
        // A relative move never reaches the end of data.
        target = static_cast<int64_t>(file->position) + offset;
        if (target < 0 || target >= size) return;
        break;
    case 2:
        target = size - offset;
        if (target < 0 || target > size) return;
        break;
    default:
        return;
    }
    file->position = static_cast<int32_t>(target);
}

int32_t MemTell(MemoryFile* file) {
    return file->position;
}

namespace {

bool EndsLine(uint8_t byte) {
    return byte == 0x00 || byte == 0x0A || byte == 0x0D || byte == 0xFF;
}

}  // namespace

void MemReadLine(MemoryFile* file, char** out) {
    int32_t start = file->position;
    int32_t end = start;
    while (end < file->size && !EndsLine(file->data[end])) ++end;
    int32_t length = end - start;

    char* line = static_cast<char*>(std::calloc(static_cast<size_t>(length) + 2, 1));
    if (line) {
        std::memcpy(line, file->data + start, static_cast<size_t>(length));
        CountMemory(&generalMemoryCounter, static_cast<int64_t>(length) + 2);
    } else {
        // Out of memory for the line: hand out an empty string instead and
        // still consume the line, so that a positional reader stays in step.
        // Only when not even that can be had does the caller get null.
        line = static_cast<char*>(std::calloc(2, 1));
        if (line) CountMemory(&generalMemoryCounter, 2);
    }
    *out = line;
    file->position = end;

    const uint8_t* data = file->data;
    int32_t size = file->size;
    int32_t& at = file->position;
    if (at < size && data[at] == 0x00) ++at;
    if (at < size && data[at] == 0x0A) ++at;
    if (at + 1 < size && data[at] == 0x0D && data[at + 1] == 0x0A) at += 2;
}

void MemClose(MemoryFile* file) {
    if (!file) return;
    CountMemory(&fileMemoryCounter, -(16 + static_cast<int64_t>(file->size)));
    if (file->name) CountMemory(&fileMemoryCounter, -(static_cast<int64_t>(std::strlen(file->name)) + 2));
    std::free(file->data);
    std::free(file->name);
    std::free(file);
}
