#include "data/memory_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "data/archive_reader.h"
#include "diag/memory_counters.h"
#include "support/engine_fixture.h"

namespace {

class MemoryFileTest : public ::testing::Test {
protected:
    void SetUp() override { velmora::testing::ResetEngineState(); }
    void TearDown() override {
        if (file) MemClose(file);
        velmora::testing::ResetEngineState();
    }
    MemoryFile* Open(const std::string& bytes) {
        file = NewMemoryFile("test.txt", static_cast<int32_t>(bytes.size()));
        std::memcpy(file->data, bytes.data(), bytes.size());
        return file;
    }
    std::string ReadLine() {
        char* line = nullptr;
        MemReadLine(file, &line);
        std::string text = line;
        std::free(line);
        return text;
    }
    MemoryFile* file = nullptr;
};

TEST_F(MemoryFileTest, EmptyFileGivesCarriageReturnsShortCountsAndEmptyLines) {
    Open("");
    EXPECT_EQ(MemGetChar(file), 13);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(MemRead(buffer, 4, file), 0);
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_EQ(ReadLine(), "");
    EXPECT_EQ(MemTell(file), 0);
}

TEST_F(MemoryFileTest, ReadCopiesWhatIsLeftAndStopsAtTheEnd) {
    Open("abcdefg");
    MemSeek(file, 4, 0);
    char buffer[8] = {};
    EXPECT_EQ(MemRead(buffer, 4, file), 3);
    EXPECT_STREQ(buffer, "efg");
    EXPECT_EQ(MemTell(file), 7);
    EXPECT_EQ(MemRead(buffer, 4, file), 0);
    MemSeek(file, 3, 0);
    EXPECT_EQ(MemRead(buffer, 4, file), 4);
    EXPECT_EQ(MemTell(file), 7);
    EXPECT_EQ(MemGetChar(file), 13);
    EXPECT_EQ(MemTell(file), 7);
}

TEST_F(MemoryFileTest, SeeksOutsideTheirRangeAreIgnored) {
    Open("0123456789");
    MemSeek(file, 0, 2);
    EXPECT_EQ(MemTell(file), 10);  // the length idiom
    MemSeek(file, 0, 0);
    EXPECT_EQ(MemTell(file), 0);
    MemSeek(file, 11, 0);
    MemSeek(file, -1, 0);
    EXPECT_EQ(MemTell(file), 0);
    MemSeek(file, 10, 0);
    EXPECT_EQ(MemTell(file), 10);  // an absolute seek may reach the end

    MemSeek(file, 9, 0);
    MemSeek(file, 1, 1);  // a relative move never reaches the end
    EXPECT_EQ(MemTell(file), 9);
    MemSeek(file, -10, 1);
    EXPECT_EQ(MemTell(file), 9);
    MemSeek(file, -9, 1);
    EXPECT_EQ(MemTell(file), 0);
    MemSeek(file, INT32_MAX, 1);
    MemSeek(file, INT32_MIN, 1);
    EXPECT_EQ(MemTell(file), 0);

    MemSeek(file, 3, 2);
    EXPECT_EQ(MemTell(file), 7);
    MemSeek(file, 11, 2);
    MemSeek(file, -1, 2);
    MemSeek(file, INT32_MIN, 2);
    EXPECT_EQ(MemTell(file), 7);
    MemSeek(file, 10, 2);
    EXPECT_EQ(MemTell(file), 0);
    MemSeek(file, 5, 7);  // no such whence
    EXPECT_EQ(MemTell(file), 0);
}

TEST_F(MemoryFileTest, PutBackAndFixedWidthKeyIdioms) {
    Open("SCENE1234xyz");
    EXPECT_EQ(MemGetChar(file), 'S');
    MemSeek(file, -1, 1);
    char key[6] = {};
    EXPECT_EQ(MemRead(key, 5, file), 5);
    EXPECT_STREQ(key, "SCENE");
    MemSeek(file, 4, 1);
    EXPECT_EQ(MemGetChar(file), 'x');
}

TEST_F(MemoryFileTest, LinesEndInCrLfOrLfAndConsumeTheirEnding) {
    Open("AB\r\nXY\r\n");
    EXPECT_EQ(ReadLine(), "AB");
    EXPECT_EQ(ReadLine(), "XY");
    EXPECT_EQ(MemTell(file), file->size);
    MemClose(file);

    Open("one\n\r\ntwo\r\n\r\nthree");
    EXPECT_EQ(ReadLine(), "one");  // LF, then the CR LF right behind it
    EXPECT_EQ(MemTell(file), 6);
    EXPECT_EQ(ReadLine(), "two");
    EXPECT_EQ(ReadLine(), "");  // an empty line consumes its CR LF
    EXPECT_EQ(ReadLine(), "three");
    EXPECT_EQ(MemTell(file), file->size);
    EXPECT_EQ(ReadLine(), "");
}

TEST_F(MemoryFileTest, ZeroTerminatedStringTakesAFollowingLineFeedAlong) {
    Open(std::string("AB\0\x0A\x41", 5));
    EXPECT_EQ(ReadLine(), "AB");
    EXPECT_EQ(MemTell(file), 4);
    MemClose(file);

    Open(std::string("AB\0\n\r\nC", 7));
    EXPECT_EQ(ReadLine(), "AB");
    EXPECT_EQ(MemTell(file), 6);
    MemClose(file);

    Open(std::string("AB\0\0C", 5));  // only one zero byte is stepped over
    EXPECT_EQ(ReadLine(), "AB");
    EXPECT_EQ(MemTell(file), 3);
}

TEST_F(MemoryFileTest, LoneCarriageReturnAndByteFFStopTheCursor) {
    Open("AB\rCD");
    EXPECT_EQ(ReadLine(), "AB");
    EXPECT_EQ(MemTell(file), 2);
    EXPECT_EQ(ReadLine(), "");
    EXPECT_EQ(MemTell(file), 2);
    MemClose(file);

    Open("AB\xff" "CD");
    EXPECT_EQ(ReadLine(), "AB");
    EXPECT_EQ(ReadLine(), "");
    EXPECT_EQ(MemTell(file), 2);
    MemClose(file);

    Open("AB\r");  // CR as the last byte: no LF after it
    EXPECT_EQ(ReadLine(), "AB");
    EXPECT_EQ(MemTell(file), 2);
}

TEST_F(MemoryFileTest, LinesAreCountedAsGeneralMemoryAndCloseReturnsTheFileShare) {
    Open("hello\r\n");
    EXPECT_EQ(fileMemoryCounter, 16 + 8 + 2 + 7);
    char* line = nullptr;
    MemReadLine(file, &line);
    EXPECT_EQ(generalMemoryCounter, 5 + 2);
    EXPECT_EQ(line[5], '\0');
    EXPECT_EQ(line[6], '\0');
    std::free(line);
    MemClose(file);
    file = nullptr;
    EXPECT_EQ(fileMemoryCounter, 0);
}

}  // namespace
