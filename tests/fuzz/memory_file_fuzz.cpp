// The memory-file operations on arbitrary bytes: the first bytes are a
// program of operations, the rest the file. Every result must agree with a
// plain model of the file, and the cursor must stay between 0 and the size.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "fuzz_memory_file.h"

namespace {

void Require(bool condition) {
    if (!condition) __builtin_trap();
}

bool EndsLine(uint8_t c) { return c == 0x00 || c == 0x0A || c == 0x0D || c == 0xFF; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > (1u << 20)) return 0;
    velmora::fuzzing::ResetMemoryCounters();
    size_t programLength = data[0] % 64;
    if (programLength + 1 > size) programLength = size - 1;
    const uint8_t* program = data + 1;
    const uint8_t* bytes = data + 1 + programLength;
    const int32_t length = static_cast<int32_t>(size - 1 - programLength);
    MemoryFile* file = velmora::fuzzing::NewFuzzFile("fuzz.bin", bytes, static_cast<size_t>(length));
    uint8_t buffer[300];
    for (size_t i = 0; i < programLength; i += 2) {
        const uint8_t op = program[i] % 8;
        const int8_t argument = static_cast<int8_t>(i + 1 < programLength ? program[i + 1] : 0);
        const int32_t before = file->position;
        switch (op) {
            case 0: {  // MemRead of up to 255 bytes
                int32_t count = static_cast<uint8_t>(argument);
                int32_t copied = MemRead(buffer, count, file);
                int32_t expected = count < length - before ? count : length - before;
                Require(copied == expected && file->position == before + copied);
                Require(copied == 0 || std::memcmp(buffer, bytes + before, copied) == 0);
                break;
            }
            case 1: {
                char c = MemGetChar(file);
                if (before < length)
                    Require(c == static_cast<char>(bytes[before]) && file->position == before + 1);
                else
                    Require(c == '\r' && file->position == before);
                break;
            }
            case 2:
            case 3:
            case 4: {
                int whence = op - 2;
                int32_t offset = whence == 1 ? argument : static_cast<uint8_t>(argument);
                MemSeek(file, offset, whence);
                int64_t target = whence == 0 ? offset : whence == 1 ? before + offset : length - offset;
                bool accepted = whence == 1 ? target >= 0 && target < length
                                            : target >= 0 && target <= length;
                Require(file->position == (accepted ? target : before));
                break;
            }
            case 5:
                Require(MemTell(file) == before);
                break;
            default: {
                char* line = nullptr;
                MemReadLine(file, &line);
                Require(line != nullptr);
                int32_t n = 0;
                while (before + n < length && !EndsLine(bytes[before + n])) ++n;
                Require(std::strlen(line) == static_cast<size_t>(n));
                Require(std::memcmp(line, bytes + before, std::strlen(line)) == 0);
                // The terminator's zero, an LF, then a CR LF pair may be stepped over.
                Require(file->position >= before + n && file->position <= before + n + 4);
                std::free(line);
                break;
            }
        }
        Require(file->position >= 0 && file->position <= file->size);
    }
    MemClose(file);
    return 0;
}
