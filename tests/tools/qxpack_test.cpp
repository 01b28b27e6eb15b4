// The qxpack command, run as a program, and the player reading what it wrote.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/archive_bytes.h"
#include "data/data_archive.h"
#include "support/engine_fixture.h"
#include "support/run_program.h"

using namespace velmora::testing;

namespace {

class QxpackTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineState();
        directory = MakeTempDirectory();
        ASSERT_FALSE(directory.empty());
    }
    void TearDown() override {
        LoadDataArchive("");
        ResetEngineState();
    }
    ProgramResult Qxpack(const std::vector<std::string>& arguments) {
        return RunProgram(QXPACK_PROGRAM, arguments, directory, {}, 120.0);
    }
    // Standard output of qxpack run in the test's directory.
    std::string QxpackOutput(const std::string& arguments) {
        std::string command = "cd '" + directory + "' && '" QXPACK_PROGRAM "' " + arguments;
        std::string output;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, got);
            pclose(pipe);
        }
        return output;
    }
    std::vector<std::string> Entries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(directory))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string directory;
};

// A folder of mixed files: text, a scene-like binary, an image, noise, an empty file.
std::vector<std::pair<std::string, std::string>> MixedFolder() {
    std::mt19937 random(42);
    std::string text, scene, image, noise;
    for (int i = 0; i < 4000; ++i)
        text += "SCENE " + std::to_string(i % 17) + " Camera" + std::to_string(i % 5) + "\r\n";
    for (int frame = 0; frame < 300; ++frame)
        for (int vertex = 0; vertex < 200; ++vertex) {
            float values[3] = {vertex * 0.5f, frame * 0.01f + vertex, 1.0f};
            scene.append(reinterpret_cast<const char*>(values), sizeof values);
        }
    image = "BM" + std::string(52, '\0');
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            image.push_back(static_cast<char>(x));
            image.push_back(static_cast<char>(y));
            image.push_back(static_cast<char>((x ^ y) + random() % 4));
        }
    for (int i = 0; i < 200000; ++i) noise.push_back(static_cast<char>(random()));
    return {{"MORVAST.QXP", text}, {"Intro.QX3", scene}, {"Wall.bmp", image},
            {"music.mp3", noise}, {"empty.vis", ""}};
}

TEST_F(QxpackTest, CreateThenExtractReproducesTheFolderAndThePlayerReadsIt) {
    auto files = MixedFolder();
    ASSERT_EQ(mkdir((directory + "/in").c_str(), 0755), 0);
    std::vector<std::string> arguments = {"create", "SHOW.QXD"};
    for (const auto& [name, bytes] : files) {
        WriteFile(directory + "/in/" + name, bytes);
        arguments.push_back("in/" + name);
    }
    ProgramResult created = Qxpack(arguments);
    ASSERT_TRUE(created.finished);
    ASSERT_EQ(created.exitStatus, 0) << created.standardError;

    ProgramResult extracted = Qxpack({"extract", "SHOW.QXD", "out"});
    ASSERT_EQ(extracted.exitStatus, 0) << extracted.standardError;
    for (const auto& [name, bytes] : files)
        EXPECT_TRUE(ReadFile(directory + "/out/" + name) == bytes) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(directory + "/out"),
                            std::filesystem::directory_iterator()),
              static_cast<long>(files.size()));

    // The player finds every file in the archive with exactly its bytes.
    LoadDataArchive((directory + "/SHOW.QXD").c_str());
    ASSERT_EQ(dataArchive.entryCount, static_cast<int32_t>(files.size()));
    for (size_t i = 0; i < files.size(); ++i) {
        const auto& [name, bytes] = files[i];
        EXPECT_STREQ(dataArchive.entries[i].name, name.c_str());
        EXPECT_EQ(dataArchive.entries[i].reserved, 0);
        MemoryFile* file = OpenDataFile(name.c_str());
        ASSERT_NE(file, nullptr) << name;
        EXPECT_TRUE(std::string(reinterpret_cast<char*>(file->data), file->size) == bytes) << name;
        MemClose(file);
    }
}

TEST_F(QxpackTest, FastArchivesHoldTheSameFilesAndAreNoSmaller) {
    auto files = MixedFolder();
    std::vector<std::string> names;
    for (const auto& [name, bytes] : files) {
        WriteFile(directory + "/" + name, bytes);
        names.push_back(name);
    }
    auto create = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), names.begin(), names.end());
        ProgramResult result = Qxpack(arguments);
        EXPECT_EQ(result.exitStatus, 0) << result.standardError;
    };
    create({"create", "small.qxd"});
    create({"create", "--fast", "quick.qxd"});
    EXPECT_LE(ReadFile(directory + "/small.qxd").size(), ReadFile(directory + "/quick.qxd").size());

    LoadDataArchive((directory + "/quick.qxd").c_str());
    ASSERT_EQ(dataArchive.entryCount, static_cast<int32_t>(files.size()));
    for (const auto& [name, bytes] : files) {
        MemoryFile* file = OpenDataFile(name.c_str());
        ASSERT_NE(file, nullptr) << name;
        EXPECT_TRUE(std::string(reinterpret_cast<char*>(file->data), file->size) == bytes) << name;
        MemClose(file);
    }
}

TEST_F(QxpackTest, ListShowsEveryEntryAndATotal) {
    WriteFile(directory + "/a.txt", std::string(1000, 'a'));
    WriteFile(directory + "/b.txt", "");
    ASSERT_EQ(Qxpack({"create", "x.qxd", "a.txt", "b.txt"}).exitStatus, 0);
    std::string listing = QxpackOutput("list x.qxd");
    EXPECT_NE(listing.find("a.txt"), std::string::npos) << listing;
    EXPECT_NE(listing.find("b.txt"), std::string::npos) << listing;
    EXPECT_NE(listing.find("1000"), std::string::npos) << listing;
    EXPECT_NE(listing.find("total (2 files)"), std::string::npos) << listing;
}

TEST_F(QxpackTest, ListMarksEntriesThatPackedLargerThanTheyAre) {
    // Noise stands for data already compressed, as JPEG and PNG pictures are.
    std::mt19937 random(7);
    std::string noise(20000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    WriteFile(directory + "/noise.jpg", noise);
    WriteFile(directory + "/a.txt", std::string(1000, 'a'));
    ASSERT_EQ(Qxpack({"create", "x.qxd", "noise.jpg", "a.txt"}).exitStatus, 0);
    std::string listing = QxpackOutput("list x.qxd");
    EXPECT_NE(listing.find("noise.jpg  (larger packed)\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("a.txt\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("1 file packed larger than it is: data compressed already (JPEG and PNG pictures)"), std::string::npos)
        << listing;
    // Nothing is said where nothing grew.
    ASSERT_EQ(Qxpack({"create", "y.qxd", "a.txt"}).exitStatus, 0);
    EXPECT_EQ(QxpackOutput("list y.qxd").find("larger"), std::string::npos);
}

TEST_F(QxpackTest, UnreadableInputFailsNamingItAndLeavesNoArchive) {
    WriteFile(directory + "/a.txt", "a");
    ProgramResult result = Qxpack({"create", "x.qxd", "a.txt", "missing.txt"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_NE(result.standardError.find("missing.txt"), std::string::npos) << result.standardError;
    EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1);
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.txt"});  // no archive, no temporary

    // An existing archive is left as it was.
    WriteFile(directory + "/x.qxd", "old");
    EXPECT_EQ(Qxpack({"create", "x.qxd", "a.txt", "gone.txt"}).exitStatus, 2);
    EXPECT_EQ(ReadFile(directory + "/x.qxd"), "old");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"a.txt", "x.qxd"}));
}

TEST_F(QxpackTest, AFolderStandsForItsFilesLeavingOutTheArchiveHiddenFilesAndFolders) {
    ASSERT_EQ(mkdir((directory + "/show").c_str(), 0755), 0);
    ASSERT_EQ(mkdir((directory + "/show/capture").c_str(), 0755), 0);
    WriteFile(directory + "/show/scene.QX3", "scene");
    WriteFile(directory + "/show/MORVAST.QXP", "script");
    WriteFile(directory + "/show/wall.png", "picture");
    WriteFile(directory + "/show/.notes", "hidden");
    WriteFile(directory + "/show/capture/frame_000000.png", "frame");
    WriteFile(directory + "/show/MORVAST.QXD", "an archive from before");
    ProgramResult created = Qxpack({"create", "show/MORVAST.QXD", "show"});
    ASSERT_EQ(created.exitStatus, 0) << created.standardError;

    LoadDataArchive((directory + "/show/MORVAST.QXD").c_str());
    ASSERT_EQ(dataArchive.entryCount, 3);
    EXPECT_STREQ(dataArchive.entries[0].name, "MORVAST.QXP");
    EXPECT_STREQ(dataArchive.entries[1].name, "scene.QX3");
    EXPECT_STREQ(dataArchive.entries[2].name, "wall.png");
    MemoryFile* file = OpenDataFile("wall.png");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(file->data), file->size), "picture");
    MemClose(file);

    // A folder with nothing to pack is no archive.
    ASSERT_EQ(mkdir((directory + "/empty").c_str(), 0755), 0);
    ProgramResult nothing = Qxpack({"create", "none.qxd", "empty"});
    EXPECT_EQ(nothing.exitStatus, 2);
    EXPECT_NE(nothing.standardError.find("nothing to pack"), std::string::npos) << nothing.standardError;
    EXPECT_FALSE(FileExists(directory + "/none.qxd"));
}

TEST_F(QxpackTest, BadArgumentsAndBadArchivesExitWithTwo) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"create", "x.qxd"}, {"create", "--fast", "x.qxd"}, {"list"},
          {"extract"}, {"frobnicate", "x.qxd"}, {"list", "a", "b"}}) {
        ProgramResult result = Qxpack(arguments);
        EXPECT_EQ(result.exitStatus, 2);
        EXPECT_NE(result.standardError.find("usage"), std::string::npos);
        EXPECT_EQ(std::count(result.standardError.begin(), result.standardError.end(), '\n'), 1);
    }
    ProgramResult missing = Qxpack({"list", "none.qxd"});
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_NE(missing.standardError.find("none.qxd"), std::string::npos);

    WriteFile(directory + "/bad.qxd", Int32Bytes(7) + "garbage");
    ProgramResult damaged = Qxpack({"extract", "bad.qxd"});
    EXPECT_EQ(damaged.exitStatus, 2);
    EXPECT_NE(damaged.standardError.find("bad.qxd"), std::string::npos);
}

TEST_F(QxpackTest, ExtractRefusesNamesThatLeaveTheFolder) {
    WriteFile(directory + "/evil.qxd", PackedArchive({{"../evil.txt", "x"}, {"fine.txt", "y"}}));
    ProgramResult result = Qxpack({"extract", "evil.qxd", "out"});
    EXPECT_EQ(result.exitStatus, 2);
    EXPECT_EQ(ReadFile(directory + "/out/fine.txt"), "y");
    EXPECT_FALSE(FileExists(directory + "/evil.txt"));
}

}  // namespace
