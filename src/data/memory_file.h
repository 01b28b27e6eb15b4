// A whole file held in memory with a read cursor, and the cursor operations
// that every reader shares (text and binary alike).
#pragma once

#include <cstdint>

struct MemoryFile {
    char* name;       // owned copy of the name
    int32_t size;     // bytes in data
    int32_t position; // read cursor, 0 ... size
    uint8_t* data;    // owned, size bytes, no terminator added
};

// Copies up to count bytes from the cursor; returns how many were copied.
int32_t MemRead(void* buffer, int32_t count, MemoryFile* file);
// The byte at the cursor, or CR (13) without moving at the end of data.
char MemGetChar(MemoryFile* file);
// whence 0: from the start, 1: relative, 2: backwards from the end. A move
// outside the accepted range is ignored.
void MemSeek(MemoryFile* file, int32_t offset, int whence);
int32_t MemTell(MemoryFile* file);
// Reads one line or zero-terminated string into a new string the caller frees.
void MemReadLine(MemoryFile* file, char** out);
// Frees the file and takes its share off the file memory counter.
void MemClose(MemoryFile* file);
