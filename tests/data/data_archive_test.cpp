#include "data/data_archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>

#include "data/archive_bytes.h"
#include "data/archive_reader.h"
#include "diag/log.h"
#include "diag/memory_counters.h"
#include "support/engine_fixture.h"

using namespace velmora::testing;

namespace {

// Each test works in a directory of its own, which is also where the log goes.
class DataArchiveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineState();
        localPath = 0;
        directory = MakeTempDirectory();
        ASSERT_FALSE(directory.empty());
        char here[4096];
        ASSERT_NE(getcwd(here, sizeof here), nullptr);
        previousDirectory = here;
        ASSERT_EQ(chdir(directory.c_str()), 0);
        std::snprintf(exeDirectory, sizeof exeDirectory, "%s/", directory.c_str());
        logEnabled = 1;
    }
    void TearDown() override {
        LoadDataArchive("");  // frees the directory
        localPath = 0;
        ASSERT_EQ(chdir(previousDirectory.c_str()), 0);
        ResetEngineState();
    }
    std::string Log() { return ReadFile(directory + "/Log.TXT"); }
    void ClearLog() { WriteFile(directory + "/Log.TXT", ""); }
    // The named file's contents through OpenDataFile; "<null>" when it opens nothing.
    std::string Contents(const char* name) {
        MemoryFile* file = OpenDataFile(name);
        if (!file) return "<null>";
        std::string bytes(reinterpret_cast<char*>(file->data), static_cast<size_t>(file->size));
        EXPECT_EQ(file->position, 0);
        MemClose(file);
        return bytes;
    }

    std::string directory;
    std::string previousDirectory;
};

TEST_F(DataArchiveTest, NamesAreFoundCaseInsensitivelyAndWholly) {
    WriteFile("SHOW.QXD", PackedArchive({{"TEXTURE.bmp", "pixels"}, {"a.txt", "text"}}));
    LoadDataArchive("SHOW.QXD");
    ASSERT_EQ(dataArchive.entryCount, 2);
    MemoryFile* file = OpenDataFile("texture.BMP");
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file->name, "TEXTURE.bmp");  // the entry's own name
    EXPECT_EQ(std::string(reinterpret_cast<char*>(file->data), 6), "pixels");
    MemClose(file);
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(Contents("texture.bm"), "<null>");
    EXPECT_EQ(Log(), "ERROR:\t\ttexture.bm\tfile not found in datafile\r\n\r\n");
}

TEST_F(DataArchiveTest, LaterEntryOfTheSameNameWins) {
    WriteFile("SHOW.QXD", PackedArchive({{"same.txt", "first"}, {"other", "x"}, {"SAME.TXT", "second"}}));
    LoadDataArchive("SHOW.QXD");
    EXPECT_EQ(Contents("same.txt"), "second");
}

TEST_F(DataArchiveTest, EmptyArchiveServesEveryNameFromDisk) {
    WriteFile("SHOW.QXD", Int32Bytes(0));
    WriteFile("loose.txt", "from disk");
    LoadDataArchive("SHOW.QXD");
    EXPECT_EQ(dataArchive.entryCount, 0);
    EXPECT_EQ(Contents("loose.txt"), "from disk");
    EXPECT_EQ(Contents("missing.txt"), "<null>");
    EXPECT_EQ(Log(),
              "ERROR:\t\tloose.txt\tfile not found in datafile\r\n\r\n"
              "ERROR:\t\tmissing.txt\tfile not found in datafile\r\n\r\n");
}

TEST_F(DataArchiveTest, MissingArchiveIsReportedAndTheDiskServes) {
    WriteFile("loose.txt", "from disk");
    LoadDataArchive("MORVAST.QXD");
    EXPECT_EQ(dataArchive.entryCount, 0);
    EXPECT_EQ(Log(), "ERROR:\t\tMORVAST.QXD\tdata file not found\r\n\r\n");
    EXPECT_EQ(Contents("loose.txt"), "from disk");
}

TEST_F(DataArchiveTest, LastBlockRunsToTheEndOfTheArchive) {
    // The empty file's block is just the end marker, and it is the last block.
    WriteFile("SHOW.QXD", PackedArchive({{"a", "aaaaaaaaaaaaaaaaaaaaaaaa"}, {"empty", ""}}));
    LoadDataArchive("SHOW.QXD");
    EXPECT_EQ(Contents("empty"), "");
    EXPECT_EQ(dataArchive.fileSize, static_cast<int32_t>(ReadFile("SHOW.QXD").size()));
    EXPECT_EQ(dataArchive.entries[1].offset + 2, dataArchive.fileSize);
    EXPECT_EQ(Contents("a"), "aaaaaaaaaaaaaaaaaaaaaaaa");
}

TEST_F(DataArchiveTest, BlockEndsAtTheNextEntrysOffset) {
    // The first block stops after its short-match bits; read on into the
    // next block, the byte 0 found there would end it as a sound block.
    std::string archive = RawArchive({{"cut", 1, std::string("\x60\x41", 2)},
                                      {"next", 8, std::string("\x00" "abcdefgh" "\xC0\x00", 11)}});
    WriteFile("SHOW.QXD", archive);
    LoadDataArchive("SHOW.QXD");
    EXPECT_EQ(Contents("cut"), "<null>");
    EXPECT_EQ(Log(), "ERROR:\t\tcut\tfile damaged in datafile\r\n\r\n");
    EXPECT_EQ(Contents("next"), "abcdefgh");
}

TEST_F(DataArchiveTest, DamagedEntryIsRefusedAndTheDiskTried) {
    // Block of six bytes, directory claiming seven.
    WriteFile("SHOW.QXD", RawArchive({{"six", 7, std::string("\x4B\x41\x01\x80\x00", 5)},
                                      {"huge", INT32_MAX, std::string("\x4B\x41\x01\x80\x00", 5)}}));
    LoadDataArchive("SHOW.QXD");
    EXPECT_EQ(Contents("six"), "<null>");
    EXPECT_EQ(Log(), "ERROR:\t\tsix\tfile damaged in datafile\r\n\r\n");
    WriteFile("six", "disk copy");
    EXPECT_EQ(Contents("six"), "disk copy");
    EXPECT_EQ(Contents("huge"), "<null>");
    EXPECT_EQ(fileMemoryCounter, ArchiveDirectoryMemory(&dataArchive));
}

struct DamagedDirectory {
    const char* what;
    std::string bytes;
};

TEST_F(DataArchiveTest, DirectoriesThatDoNotFitTheFileAreRefused) {
    const std::string end = std::string("\xC0\x00", 2);
    // A sound one-entry archive: count, entry of 22 bytes, block at 26.
    const std::string sound = Int32Bytes(1) + EntryBytes(6, std::string("a.txt\0", 6), 0, 26) + end;
    ASSERT_EQ(sound.size(), 28u);
    const DamagedDirectory cases[] = {
        {"empty file", ""},
        {"count cut short", "\x01\x00"},
        {"negative count", Int32Bytes(-1) + end},
        {"count beyond the file", Int32Bytes(1000000) + std::string(100, '\0')},
        {"count of entries missing", Int32Bytes(2) + EntryBytes(6, std::string("a.txt\0", 6), 0, 26) + end},
        {"name length 0", Int32Bytes(1) + EntryBytes(0, "", 0, 20) + std::string(8, '\0')},
        {"name length negative", Int32Bytes(1) + EntryBytes(-5, "", 0, 20) + std::string(8, '\0')},
        {"name length beyond the file", Int32Bytes(1) + Int32Bytes(INT_MAX) + std::string(40, 'x')},
        {"name without its zero", Int32Bytes(1) + EntryBytes(5, "a.txt", 0, 25) + end},
        {"negative size", Int32Bytes(1) + EntryBytes(6, std::string("a.txt\0", 6), -1, 26) + end},
        {"block inside the directory", Int32Bytes(1) + EntryBytes(6, std::string("a.txt\0", 6), 0, 10) + end},
        {"block past the end", Int32Bytes(1) + EntryBytes(6, std::string("a.txt\0", 6), 0, 29) + end},
        {"negative offset", Int32Bytes(1) + EntryBytes(6, std::string("a.txt\0", 6), 0, -4) + end},
        {"blocks running backwards",
         Int32Bytes(2) + EntryBytes(2, std::string("a\0", 2), 0, 44) +
             EntryBytes(2, std::string("b\0", 2), 0, 42) + end + end},
        {"entry cut short", Int32Bytes(1) + Int32Bytes(6) + std::string("a.txt\0", 6) + Int32Bytes(0)},
    };
    WriteFile("a.txt", "disk");
    for (const DamagedDirectory& damaged : cases) {
        SCOPED_TRACE(damaged.what);
        ClearLog();
        WriteFile("SHOW.QXD", damaged.bytes);
        LoadDataArchive("SHOW.QXD");
        EXPECT_EQ(dataArchive.entryCount, 0);
        EXPECT_EQ(dataArchive.entries, nullptr);
        EXPECT_EQ(fileMemoryCounter, 0);
        EXPECT_EQ(Log(), "ERROR:\t\tSHOW.QXD\tdata file damaged\r\n\r\n");
        EXPECT_EQ(Contents("a.txt"), "disk");
    }
    // The sound archive that the cases were made from is read.
    WriteFile("SHOW.QXD", sound);
    LoadDataArchive("SHOW.QXD");
    EXPECT_EQ(dataArchive.entryCount, 1);
    EXPECT_EQ(Contents("a.txt"), "");
}

TEST_F(DataArchiveTest, FileMemoryCounterHoldsTheDirectoryAndOpenFiles) {
    WriteFile("x.qxd", PackedArchive({{"A.TXT", "0123456789"}, {"bb", "zz"}}));
    LoadDataArchive("x.qxd");
    const int32_t directoryShare = 2 * 16 + 6 + 3 + 5;
    EXPECT_EQ(fileMemoryCounter, directoryShare);
    MemoryFile* file = OpenDataFile("a.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(fileMemoryCounter, directoryShare + 16 + 5 + 2 + 10);
    MemClose(file);
    EXPECT_EQ(fileMemoryCounter, directoryShare);
    // A second load replaces the first directory and its share.
    LoadDataArchive("x.qxd");
    EXPECT_EQ(fileMemoryCounter, directoryShare);
}

TEST_F(DataArchiveTest, StripDataPathKeepsThePartAfterTheLastBackslash) {
    char windowsName[] = "c:\\data\\demo\\scene.QX3";
    char unixName[] = "data/demo/scene.QX3";  // a slash is not a cut
    char mixed[] = "a\\b/c.bmp";
    char bare[] = "scene.QX3";
    char trailing[] = "dir\\";
    localPath = 1;
    StripDataPath(windowsName);
    StripDataPath(unixName);
    StripDataPath(mixed);
    StripDataPath(bare);
    StripDataPath(trailing);
    EXPECT_STREQ(windowsName, "scene.QX3");
    EXPECT_STREQ(unixName, "data/demo/scene.QX3");
    EXPECT_STREQ(mixed, "b/c.bmp");
    EXPECT_STREQ(bare, "scene.QX3");
    EXPECT_STREQ(trailing, "");
    char kept[] = "c:\\data\\demo\\scene.QX3";
    localPath = 0;
    StripDataPath(kept);
    EXPECT_STREQ(kept, "c:\\data\\demo\\scene.QX3");
}

TEST_F(DataArchiveTest, DiskNamesMatchEachComponentIgnoringCase) {
    ASSERT_EQ(mkdir("Data", 0755), 0);
    ASSERT_EQ(mkdir("Data/Scenes", 0755), 0);
    WriteFile("Data/Scenes/Intro.QX3", "intro");
    MemoryFile* file = OpenDataFile("data\\SCENES\\intro.qx3");
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file->name, "data\\SCENES\\intro.qx3");  // the requested name
    EXPECT_EQ(file->size, 5);
    MemClose(file);
    EXPECT_EQ(Contents((directory + "/DATA/scenes/INTRO.qx3").c_str()), "intro");
    EXPECT_EQ(Contents("./data/./scenes/../Scenes/intro.QX3"), "intro");
    EXPECT_EQ(Contents("data/scenes/intro.qx"), "<null>");
    EXPECT_EQ(Contents("data/nothing/intro.qx3"), "<null>");
    EXPECT_EQ(Contents("data/scenes"), "<null>");  // a directory is no file
    EXPECT_EQ(Contents(""), "<null>");
}

TEST_F(DataArchiveTest, ExactDiskNameWinsOverOtherCases) {
    WriteFile("abc.txt", "lower");
    WriteFile("ABC.TXT", "upper");
    EXPECT_EQ(Contents("abc.txt"), "lower");
    EXPECT_EQ(Contents("ABC.TXT"), "upper");
    EXPECT_EQ(Contents("Abc.txt"), "upper");  // the first in byte order
}

TEST_F(DataArchiveTest, UnpackWritesEveryEntryAndNothingOutsideTheDirectory) {
    ASSERT_EQ(mkdir("out", 0755), 0);
    WriteFile("SHOW.QXD", PackedArchive({{"one.txt", "1"}, {"../escape.txt", "x"}, {"two.bin", "22"}}));
    LoadDataArchive((directory + "/SHOW.QXD").c_str());
    ASSERT_EQ(chdir("out"), 0);
    UnpackDataArchive();
    EXPECT_EQ(ReadFile("one.txt"), "1");
    EXPECT_EQ(ReadFile("two.bin"), "22");
    EXPECT_FALSE(FileExists(directory + "/escape.txt"));
    EXPECT_EQ(Log(),
              "Unpack:\t\tone.txt\t\tfile writen to disk\r\n"
              "ERROR:\t\t../escape.txt\tfile name not allowed on disk\r\n"
              "Unpack:\t\ttwo.bin\t\tfile writen to disk\r\n");
    EXPECT_EQ(fileMemoryCounter, ArchiveDirectoryMemory(&dataArchive));
}

}  // namespace

// The readers over a stream already open (the fuzz target reads its input so)
// take the same directory and entries as from the file, and name the path given.
TEST_F(DataArchiveTest, ArchiveReadFromAnOpenStreamAsFromItsFile) {
    std::string archive = RawArchive({{"six", 6, std::string("\x4B\x41\x01\x80\x00", 5)},
                                      {"seven", 7, std::string("\x4B\x41\x01\x80\x00", 5)},
                                      {"b.txt", 3, std::string("\x18" "bbb" "\x00", 5)}});
    FILE* stream = fmemopen(archive.data(), archive.size(), "rb");
    ASSERT_NE(stream, nullptr);
    DataArchive read{};
    ASSERT_EQ(ReadArchiveDirectoryFrom(stream, "in memory", &read), 1);
    ASSERT_EQ(read.entryCount, 3);
    EXPECT_STREQ(read.path, "in memory");
    EXPECT_EQ(read.fileSize, static_cast<int32_t>(archive.size()));
    // Entries in any order from the one stream, each found at its offset.
    for (int32_t index : {2, 0, 1}) {
        SCOPED_TRACE(index);
        ClearLog();
        MemoryFile* file = ReadArchiveEntryFrom(stream, &read, index);
        if (index == 1) {
            EXPECT_EQ(file, nullptr);
            EXPECT_EQ(Log(), "ERROR:\t\tseven\tfile damaged in datafile\r\n\r\n");
            continue;
        }
        ASSERT_NE(file, nullptr);
        EXPECT_STREQ(file->name, read.entries[index].name);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(file->data), static_cast<size_t>(file->size)),
                  index == 0 ? std::string(6, 'A') : "bbb");
        MemClose(file);
    }
    std::fclose(stream);
    FreeArchiveDirectory(&read);

    std::string damaged = Int32Bytes(1) + Int32Bytes(INT_MAX) + std::string(40, 'x');
    stream = fmemopen(damaged.data(), damaged.size(), "rb");
    ASSERT_NE(stream, nullptr);
    ClearLog();
    EXPECT_EQ(ReadArchiveDirectoryFrom(stream, "in memory", &read), 0);
    EXPECT_EQ(read.entries, nullptr);
    EXPECT_EQ(Log(), "ERROR:\t\tin memory\tdata file damaged\r\n\r\n");
    std::fclose(stream);
}
