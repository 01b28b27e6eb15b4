// MemReadLine when memory runs out. This test program is linked with calloc
// wrapped, so that a test can make the next allocations fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "data/memory_file.h"
#include "diag/memory_counters.h"

namespace {

int failingCallocs = 0;  // how many of the next calls fail

}  // namespace

extern "C" void* __real_calloc(size_t count, size_t size);
extern "C" void* __wrap_calloc(size_t count, size_t size) {
    if (failingCallocs > 0) {
        --failingCallocs;
        return nullptr;
    }
    return __real_calloc(count, size);
}

namespace {

MemoryFile* FileOf(const char* text) {
    MemoryFile* file = static_cast<MemoryFile*>(std::malloc(sizeof(MemoryFile)));
    file->name = strdup("script.QXP");
    file->size = static_cast<int32_t>(std::strlen(text));
    file->position = 0;
    file->data = static_cast<uint8_t*>(std::malloc(file->size));
    std::memcpy(file->data, text, file->size);
    return file;
}

TEST(MemoryFileOutOfMemoryTest, ALineThatCannotBeHadIsAnEmptyStringAndStillConsumed) {
    MemoryFile* file = FileOf("[QX3][01][FPS] 25\r\nnext\r\n");
    generalMemoryCounter = 0;
    failingCallocs = 1;  // the line's own buffer
    char* line = nullptr;
    MemReadLine(file, &line);
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line, "");
    EXPECT_EQ(generalMemoryCounter, 2);
    std::free(line);
    // The reader is still in step: the next line comes whole.
    MemReadLine(file, &line);
    ASSERT_NE(line, nullptr);
    EXPECT_STREQ(line, "next");
    std::free(line);
    MemClose(file);
}

TEST(MemoryFileOutOfMemoryTest, WithNoMemoryAtAllTheLineIsStillStepped) {
    MemoryFile* file = FileOf("abc\r\nxy");
    failingCallocs = 2;
    char* line = reinterpret_cast<char*>(1);
    MemReadLine(file, &line);
    EXPECT_EQ(line, nullptr);
    EXPECT_EQ(file->position, 5);
    MemClose(file);
}

}  // namespace
