// The play-script checker: what it says the player does with each line, and
// the warnings it gives where the player's reader falls out of step.
#include "qxcheck/script_check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "data/archive_bytes.h"
#include "data/data_archive.h"
#include "scene_writer/scene_writer.h"
#include "show/script_grammar.h"
#include "state/engine_state.h"
#include "support/engine_fixture.h"
#include "support/run_program.h"

using namespace velmora::testing;
using velmora::tools::ScriptCheck;

namespace {

// A scene of 3 frames with the camera Camera01 and the object Box, and no texture.
void WriteScene(const std::string& path) {
    using namespace velmora::tools;
    SceneDescription scene;
    scene.frameCount = 3;
    scene.ambient.assign(3, 0x303030);
    scene.drawStyles.push_back(WriterDrawStyle{});
    scene.objects.push_back(CubeObject("Box", 2.0f, 0));
    WriterCamera camera;
    camera.name = "Camera01";
    camera.fov.assign(3, 0.8f);
    camera.matrices.assign(3, TranslationMatrix(0.0f, 0.0f, 8.0f));
    scene.cameras.push_back(camera);
    std::string error;
    ASSERT_TRUE(WriteSceneFile(path, scene, &error)) << error;
}

// A clean script in the idioms the reader is built for: short comments, a
// one-digit count, the load key followed by its line end, a flag at the very end.
const char kClean[] =
    "'\r\n"                                                   // 1
    "'ab\r\n"                                                 // 2
    "[Engine][Local path] TRUE\r\n"                           // 3
    "[QX3][00] 1\r\n"                                         // 4
    "[QX3][01][Filename] box.QX3\r\n"                         // 5
    "[QX3][01][Load]\r\n"                                     // 6
    "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n"      // 7
    "[QX3][01][Shade] Box Flat\r\n"                           // 8
    "[Engine][Hold] 0.05 20\r\n"                              // 9
    "[QX3][01][Play] 0 FALSE\r\n";                            // 10

class ScriptCheckTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        directory = MakeTempDirectory() + "/";
        char here[4096];
        previous = getcwd(here, sizeof here) ? here : "/";
        ASSERT_EQ(chdir(directory.c_str()), 0);
        WriteScene(directory + "box.QX3");
    }
    void TearDown() override {
        if (chdir(previous.c_str()) != 0) ADD_FAILURE() << "cannot return to " << previous;
        EngineTest::TearDown();
    }
    ScriptCheck Check(const std::string& script) {
        std::ofstream(directory + "MORVAST.QXP", std::ios::binary) << script;
        ScriptCheck check;
        std::string error;
        EXPECT_TRUE(velmora::tools::CheckPlayScript("MORVAST.QXP", check, error)) << error;
        return check;
    }
    // The warnings given for one line.
    static std::vector<std::string> Warnings(const ScriptCheck& check, int line) {
        std::vector<std::string> found;
        for (const auto& f : check.findings)
            if (f.warning && f.line == line) found.push_back(f.text);
        return found;
    }
    static bool Warned(const ScriptCheck& check, int line, const std::string& part) {
        for (const std::string& w : Warnings(check, line))
            if (w.find(part) != std::string::npos) return true;
        return false;
    }
    static int Counted(const ScriptCheck& check, const std::string& part) {
        int found = 0;
        for (const auto& f : check.findings) found += f.warning && f.text.find(part) != std::string::npos;
        return found;
    }
    static int LateWarnings(const ScriptCheck& check) { return Counted(check, "later than everything else"); }
    static int BlackWarnings(const ScriptCheck& check) { return Counted(check, "no scene plays from"); }
    static bool NotedPart(const ScriptCheck& check, int line, const std::string& part) {
        for (const auto& f : check.findings)
            if (!f.warning && f.line == line && f.text.find(part) != std::string::npos) return true;
        return false;
    }
    static bool Noted(const ScriptCheck& check, int line, const std::string& text) {
        for (const auto& f : check.findings)
            if (!f.warning && f.line == line && f.text == text) return true;
        return false;
    }
    std::string directory;
    std::string previous;
};

TEST_F(ScriptCheckTest, TheReadersOwnIdiomsGiveNoWarningAndEveryLineIsDescribed) {
    ScriptCheck check = Check(kClean);
    EXPECT_EQ(check.warnings, 0) << velmora::tools::FormatScriptCheck(check);
    ASSERT_EQ(check.lines.size(), 10u);
    EXPECT_TRUE(Noted(check, 1, "comment"));
    EXPECT_TRUE(Noted(check, 2, "comment"));
    EXPECT_TRUE(Noted(check, 3, "local paths on: names lose their directory part"));
    EXPECT_TRUE(Noted(check, 4, "1 scene"));
    EXPECT_TRUE(Noted(check, 6, "scene 1 loaded from box.QX3: 3 frames; cameras: Camera01; objects: Box"));
    EXPECT_TRUE(Noted(check, 7, "scene 1 camera Camera01: frames 0 to 2 changed, blend 1.000 to "
                                "1.000 (above 1: drawn additively), extra ambient 0"));
    EXPECT_TRUE(Noted(check, 8, "scene 1 object Box: flat shading"));
    EXPECT_TRUE(Noted(check, 9, "at 0.050 s: hold the show for 20 ms"));
    EXPECT_TRUE(Noted(check, 10, "at 0.000 s: play scene 1 once"));
    // The run state is left empty, as before the check.
    EXPECT_EQ(sceneCount, 0);
    EXPECT_EQ(actionList.next, nullptr);
    EXPECT_EQ(localPath, 0);
}

TEST_F(ScriptCheckTest, BlankLineAndUnknownChunkAreWarnedAtTheirLines) {
    ScriptCheck check = Check(
        "[QX3][00] 1\r\n"                                     // 1
        "[QX3][01][Filename] box.QX3\r\n"                     // 2
        "[QX3][01][Load]\r\n"                                 // 3
        "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n"  // 4
        "[Sound][01] 1\r\n"                                   // 5
        "'\r\n"                                               // 6
        "\r\n"                                                // 7
        "[QX3][01][Play] 0 FALSE\r\n");                       // 8
    EXPECT_TRUE(Warned(check, 5, "unknown chunk \"[Soun\"")) << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Warned(check, 7, "blank line"));
    // The blank line swallows the start of the next one, which is read from its middle.
    EXPECT_TRUE(Warned(check, 8, "read out of step: the reader starts at column 4"));
    EXPECT_TRUE(Warnings(check, 4).empty());
    EXPECT_TRUE(Warnings(check, 6).empty());
}

TEST_F(ScriptCheckTest, LineEndsOfLfAloneAreWarned) {
    // A script with no CR at all is read in step, but it is still a fault of the file.
    ScriptCheck lfOnly = Check("[QX3][00] 1\n[QX3][01][Filename] box.QX3\n[QX3][01][Load]\n"
                               "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\n");
    ASSERT_EQ(lfOnly.warnings, 1) << velmora::tools::FormatScriptCheck(lfOnly);
    EXPECT_TRUE(Warned(lfOnly, 1, "LF alone"));
    // Mixed with CR LF, the line of LF alone throws the next one out of step.
    ScriptCheck mixed = Check("[QX3][00] 1\r\n[QX3][01][Filename] box.QX3\r\n[QX3][01][Load]\n"
                              "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n");
    EXPECT_TRUE(Warned(mixed, 3, "LF alone")) << velmora::tools::FormatScriptCheck(mixed);
    EXPECT_TRUE(Warned(mixed, 4, "read out of step"));
    EXPECT_TRUE(Warnings(mixed, 1).empty());
}

TEST_F(ScriptCheckTest, LineEndsOfCrAloneAreWarned) {
    // The player takes the character after each CR for its LF: every line
    // after the first loses its bracket and nothing is read in step.
    ScriptCheck crOnly = Check("[QX3][00] 1\r[QX3][01][Filename] box.QX3\r[QX3][01][Load]\r"
                               "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r[QX3][01][Play] 0 FALSE\r");
    EXPECT_TRUE(Warned(crOnly, 1, "the script's lines end with CR alone")) << velmora::tools::FormatScriptCheck(crOnly);
    int said = 0;
    for (const auto& f : crOnly.findings) said += f.warning && f.text.find("CR alone") != std::string::npos;
    EXPECT_EQ(said, 1);
    // CR LF and LF alone are not taken for it.
    EXPECT_FALSE(Warned(Check(kClean), 1, "CR alone"));
    EXPECT_FALSE(Warned(Check("[QX3][00] 1\n[QX3][01][Filename] box.QX3\n"), 1, "CR alone"));
}

TEST_F(ScriptCheckTest, CountOfThreeDigitsIsWarnedAndTheNextLineStaysOutOfStep) {
    ScriptCheck check = Check("[QX3][00] 120\r\n[QX3][01][Filename] box.QX3\r\n");
    EXPECT_TRUE(Warned(check, 1, "count 120 has more than two digits: the player takes 12"))
        << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Noted(check, 1, "12 scenes"));
    EXPECT_TRUE(Warned(check, 1, "read out of step"));
    // A count of two digits is read in step.
    ScriptCheck twelve = Check("[QX3][00] 12\r\n[QX3][01][Filename] box.QX3\r\n");
    EXPECT_EQ(twelve.warnings, 0) << velmora::tools::FormatScriptCheck(twelve);
}

TEST_F(ScriptCheckTest, UnknownKeysAndNamesThatMatchNothing) {
    ScriptCheck check = Check(
        "[QX3][00] 1\r\n"                                     // 1
        "[QX3][01][Filename] box.QX3\r\n"                     // 2
        "[QX3][01][Load]\r\n"                                 // 3
        "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n"  // 4
        "[QX3][01][Camera] 0 3 Camera09 0 0 100 0 FALSE\r\n"  // 5
        "[QX3][01][Shade] Sphere Flat\r\n"                    // 6
        "[QX3][01][Blur] camera01 2\r\n"                      // 7 (names ignore case)
        "[QX3][01][Speed] 2\r\n");                            // 8
    EXPECT_TRUE(Warned(check, 5, "Camera09 matches no camera of the scene"))
        << velmora::tools::FormatScriptCheck(check);
    // It says which cameras and objects the scene has.
    EXPECT_TRUE(Warned(check, 5, "Camera09 matches no camera of the scene: the line does nothing; scene 1 has "
                                 "the cameras Camera01"));
    EXPECT_TRUE(Warned(check, 6, "Sphere matches no object of the scene: the line does nothing; scene 1 has "
                                 "the objects Box"));
    EXPECT_TRUE(Warned(check, 6, "Sphere matches no object of the scene"));
    EXPECT_TRUE(Warnings(check, 7).empty());
    EXPECT_TRUE(Noted(check, 7, "scene 1 camera Camera01: a trail of 2 frames"));
    EXPECT_TRUE(Warned(check, 8, "unknown key \"[Speed\""));
}

// Every key the reader knows is one the checker names: a line of each, written
// as a show maker writes it, is described by its name and never called unknown.
TEST_F(ScriptCheckTest, EveryKeyOfTheGrammarIsKnownToTheChecker) {
    size_t chunkCount = 0;
    size_t keyCount = 0;
    const ScriptChunkName* chunks = ScriptChunkNames(&chunkCount);
    const ScriptKeyName* keys = ScriptKeyNames(&keyCount);
    ASSERT_EQ(chunkCount, 3u);
    ASSERT_EQ(keyCount, 19u);
    for (size_t k = 0; k < keyCount; ++k) {
        const ScriptChunkName* chunk = nullptr;
        for (size_t c = 0; c < chunkCount; ++c)
            if (chunks[c].chunk == keys[k].chunk) chunk = &chunks[c];
        ASSERT_NE(chunk, nullptr);
        const std::string name = std::string(chunk->written) + keys[k].written;
        const std::string line = std::string(chunk->written) + (chunk->tagged ? "[01]" : "") +
                                 keys[k].written + " 0\r\n";
        ScriptCheck check = Check("[QX3][00] 1\r\n[Music][00] 1\r\n" + line);
        EXPECT_TRUE(Noted(check, 3, name)) << line << velmora::tools::FormatScriptCheck(check);
        EXPECT_FALSE(Warned(check, 3, "unknown")) << line << velmora::tools::FormatScriptCheck(check);
    }
    // A key of one chunk is not a key of another.
    ScriptCheck check = Check("[Music][00] 1\r\n[Music][01][Order] 0 1\r\n");
    EXPECT_TRUE(Warned(check, 2, "unknown key \"[Order\" in a [Music] line"))
        << velmora::tools::FormatScriptCheck(check);
}

TEST_F(ScriptCheckTest, SceneWithoutCameraWindowAndMissingFilesAreWarnedAtTheLoadLine) {
    ScriptCheck check = Check(
        "[QX3][00] 2\r\n"                       // 1
        "[QX3][01][Filename] box.QX3\r\n"       // 2
        "[QX3][01][Load]\r\n"                   // 3
        "[QX3][02][Filename] missing.QX3\r\n"   // 4
        "[QX3][02][Load]\r\n"                   // 5
        "[QX3][01][Play] 0 FALSE\r\n");         // 6
    EXPECT_TRUE(Warned(check, 3, "scene 1 has no camera window"))
        << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Warned(check, 5, "scene 2 could not be read from missing.QX3"));
    // A texture the scene names and the show lacks.
    using namespace velmora::tools;
    SceneDescription textured;
    textured.ambient = {0};
    textured.drawStyles.push_back({1, 1, 1, 0, "maps\\stone.bmp"});
    textured.objects.push_back(CubeObject("Box", 2.0f, 0));
    std::string error;
    ASSERT_TRUE(WriteSceneFile(directory + "stone.QX3", textured, &error)) << error;
    const std::string script = "[Engine][Local path] TRUE\r\n[QX3][00] 1\r\n"
                               "[QX3][01][Filename] stone.QX3\r\n[QX3][01][Load]\r\n";
    EXPECT_TRUE(Warned(Check(script), 4, "texture stone.bmp is in neither"));
    std::ofstream(directory + "stone.bmp") << "BM";
    EXPECT_TRUE(Warned(Check(script), 4, "texture stone.bmp is not drawn: the header is cut short"));
    // Each refusal with its reason: a PCX of 2 bits, a run-length BMP whose
    // runs stop short, a picture too wide, a JPEG whose data is damaged.
    textured.drawStyles[0].textureName = "stone.pcx";
    ASSERT_TRUE(WriteSceneFile(directory + "stone.QX3", textured, &error)) << error;
    std::string pcx(128, '\0');
    pcx[0] = 0x0A, pcx[1] = 5, pcx[3] = 2, pcx[8] = 1, pcx[10] = 1, pcx[65] = 1, pcx[66] = 2;
    std::ofstream(directory + "stone.pcx", std::ios::binary) << pcx + std::string(4, '\0');
    EXPECT_TRUE(Warned(Check(script), 4, "texture stone.pcx is not drawn: an unsupported PCX depth"))
        << velmora::tools::FormatScriptCheck(Check(script));
    textured.drawStyles[0].textureName = "stone.bmp";
    ASSERT_TRUE(WriteSceneFile(directory + "stone.QX3", textured, &error)) << error;
    std::string rle = std::string("BM\0\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18) +
                      std::string("\x02\0\0\0\x02\0\0\0\x01\0\x08\0\x01\0\0\0", 16) + std::string(20, '\0') +
                      std::string("\x02\x01\0\0", 4);
    std::ofstream(directory + "stone.bmp", std::ios::binary) << rle;
    EXPECT_TRUE(Warned(Check(script), 4, "texture stone.bmp is not drawn: run-length data damaged"))
        << velmora::tools::FormatScriptCheck(Check(script));
    std::string wide = std::string("BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18) +
                       std::string("\x01\x20\0\0\x01\0\0\0\x01\0\x18\0", 12) + std::string(24, '\0') +
                       std::string(3 * 8193 + 1, '\x80');
    std::ofstream(directory + "stone.bmp", std::ios::binary) << wide;
    EXPECT_TRUE(Warned(Check(script), 4, "texture stone.bmp is not drawn: the picture is larger than"));
    textured.drawStyles[0].textureName = "stone.jpg";
    ASSERT_TRUE(WriteSceneFile(directory + "stone.QX3", textured, &error)) << error;
    std::ofstream(directory + "stone.jpg", std::ios::binary)
        << std::string("\xFF\xD8\xFF\xC0\0\x0B\x08\0\x02\0\x02\x01\x01\x11\0\xFF\xDA\0\x02\xFF\xD9", 22);
    EXPECT_TRUE(Warned(Check(script), 4, "texture stone.jpg is not drawn: the image data is damaged"))
        << velmora::tools::FormatScriptCheck(Check(script));
    textured.drawStyles[0].textureName = "stone.bmp";
    ASSERT_TRUE(WriteSceneFile(directory + "stone.QX3", textured, &error)) << error;
    // One grey pixel in a plain 24-bit BMP.
    std::string bmp = std::string("BM\x3a\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0", 18) +
                      std::string("\x01\0\0\0\x01\0\0\0\x01\0\x18\0", 12) + std::string(24, '\0') +
                      std::string("\x80\x80\x80\0", 4);
    std::ofstream(directory + "stone.bmp", std::ios::binary) << bmp;
    EXPECT_FALSE(Warned(Check(script), 4, "texture")) << velmora::tools::FormatScriptCheck(Check(script));
    // A name the cache refuses for its extension.
    textured.drawStyles[0].textureName = "stone.gif";
    ASSERT_TRUE(WriteSceneFile(directory + "stone.QX3", textured, &error)) << error;
    std::ofstream(directory + "stone.gif") << "GIF89a";
    EXPECT_TRUE(Warned(Check(script), 4, "texture stone.gif is not drawn: the player reads only"));
}

TEST_F(ScriptCheckTest, TimePastTheEndOfEverythingElse) {
    const std::string head =
        "[QX3][00] 1\r\n[QX3][01][Filename] box.QX3\r\n[QX3][01][Load]\r\n"
        "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n";
    // 3 frames at 30 a second: the scene is over at 0.1 s.
    ScriptCheck late = Check(head + "[QX3][01][Play] 0 FALSE\r\n[QX3][01][Unload] 90\r\n");
    EXPECT_TRUE(Warned(late, 6, "90.000 s is later than everything else in the show, which is "
                                "over at 0.100 s"))
        << velmora::tools::FormatScriptCheck(late);
    EXPECT_EQ(late.warnings, 1);
    // The one warning says how long the screen stays black.
    EXPECT_TRUE(Warned(late, 6, "the player shows a black screen for 89.900 s until then"));
    // The unload when the scene ends, and a stop that ends a loop, are not late.
    EXPECT_EQ(Check(head + "[QX3][01][Play] 0 FALSE\r\n[QX3][01][Unload] 0.1\r\n").warnings, 0);
    EXPECT_EQ(Check(head + "[QX3][01][Play] 0 TRUE\r\n[QX3][01][Stop] 90\r\n").warnings, 0);
    // A hold counts until it is over.
    EXPECT_EQ(Check(head + "[QX3][01][Play] 0 FALSE\r\n[Engine][Hold] 0 5000\r\n"
                           "[QX3][01][Unload] 4\r\n")
                  .warnings,
              0);
}

TEST_F(ScriptCheckTest, ValuesThePlayerRefusesAreWarnedAtTheirLines) {
    ScriptCheck check = Check(
        "[QX3][00] 1\r\n"                                     // 1
        "[QX3][01][Filename] box.QX3\r\n"                     // 2
        "[QX3][01][Load]\r\n"                                 // 3
        "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n"  // 4
        "[QX3][01][Blur] Camera01 -2147483648\r\n"            // 5
        "[QX3][01][Play] 0 FALSE\r\n"                         // 6
        "[QX3][01][Unload] 1e30\r\n"                          // 7
        "[Engine][Hold] nan 100\r\n"                          // 8
        "[QX3][01][Stop] 0.05\r\n");                          // 9
    EXPECT_TRUE(Warned(check, 5, "the player refuses: Camera01 blur of -2147483648 frames below zero, 0 kept"))
        << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Warned(check, 7, "the player refuses: action time of "));
    EXPECT_TRUE(Warned(check, 7, "action type 5 dropped"));
    EXPECT_TRUE(Warned(check, 8, "the player refuses: action time of nan s refused"));
    // What is dropped is not described as done, nor counted as late.
    for (int line : {7, 8})
        for (const auto& f : check.findings)
            EXPECT_FALSE(f.line == line && !f.warning && f.text.rfind("at ", 0) == 0) << f.text;
    EXPECT_EQ(check.warnings, 3);
    EXPECT_TRUE(Warnings(check, 9).empty());
}

TEST_F(ScriptCheckTest, LateTimesAmongManyLinesInAnyOrder) {
    const std::string head =
        "[QX3][00] 1\r\n[QX3][01][Filename] box.QX3\r\n[QX3][01][Load]\r\n"
        "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n";
    // Two actions share the latest time: neither is later than the other
    // (the black ending they make is warned once, as a stretch without a
    // scene; see BlackEndingMadeByTwoActions).
    ScriptCheck shared = Check(head + "[QX3][01][Play] 0 FALSE\r\n[QX3][01][Unload] 90\r\n[QX3][01][Stop] 90\r\n");
    EXPECT_EQ(LateWarnings(shared), 0) << velmora::tools::FormatScriptCheck(shared);
    EXPECT_EQ(shared.warnings, 1);
    EXPECT_EQ(BlackWarnings(shared), 1);
    // Plays and stops of many lines, written out of order: the one action
    // after all of them is found, whichever line it is.
    std::string lines;
    for (int i = 40; i-- > 0;) {
        lines += "[QX3][01][Play] " + std::to_string(i) + " TRUE\r\n";
        lines += "[QX3][01][Stop] " + std::to_string(i) + ".5\r\n";
    }
    ScriptCheck late = Check(head + lines + "[QX3][01][PreLoad] 60\r\n" + lines);
    EXPECT_EQ(late.warnings, 1) << velmora::tools::FormatScriptCheck(late);
    EXPECT_TRUE(Warned(late, 85, "60.000 s is later than everything else in the show, which is over at 39.500 s"));
    // A hold that runs past it covers it.
    EXPECT_EQ(Check(head + lines + "[QX3][01][PreLoad] 60\r\n[Engine][Hold] 30 40000\r\n").warnings, 0);
}

// A scene of 3 frames played at 1 frame a second lasts 3 s.
const char kSlowHead[] =
    "[QX3][00] 1\r\n"                                     // 1
    "[QX3][01][Filename] box.QX3\r\n"                     // 2
    "[QX3][01][Load]\r\n"                                 // 3
    "[QX3][01][Camera] 0 3 Camera01 0 0 100 0 FALSE\r\n"  // 4
    "[QX3][01][FPS] 1\r\n";                               // 5

TEST_F(ScriptCheckTest, BlackEndingMadeByTwoActions) {
    // The scene is over at 3 s; a release and an unload both at 6 s keep the
    // show going for 3 s more with no scene on the screen.
    ScriptCheck check = Check(std::string(kSlowHead) +
                              "[QX3][01][Play] 0 FALSE\r\n"    // 6
                              "[QX3][01][Release] 6\r\n"       // 7
                              "[QX3][01][Unload] 6\r\n");      // 8
    EXPECT_EQ(check.warnings, 1) << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Warned(check, 8, "no scene plays from 3.000 s to the end of the show at 6.000 s: 3.000 s of "
                                 "black screen, kept going by 2 actions after the last scene's end (lines 7 and 8)"))
        << velmora::tools::FormatScriptCheck(check);
    // Ended with the scene, there is nothing to warn about.
    EXPECT_EQ(Check(std::string(kSlowHead) + "[QX3][01][Play] 0 FALSE\r\n[QX3][01][Release] 3\r\n"
                                              "[QX3][01][Unload] 3\r\n")
                  .warnings,
              0);
}

TEST_F(ScriptCheckTest, BlackStretchesAtTheStartAndBetweenScenes) {
    ScriptCheck check = Check(std::string(kSlowHead) +
                              "[QX3][01][Play] 2 FALSE\r\n"    // 6: 2 s to 5 s
                              "[QX3][01][Play] 7 FALSE\r\n");  // 7: 7 s to 10 s
    EXPECT_EQ(check.warnings, 2) << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Warned(check, 6, "no scene plays from the start of the show until this line's play at 2.000 s: "
                                 "2.000 s of black screen"));
    EXPECT_TRUE(Warned(check, 7, "no scene plays from 5.000 s until this line's play at 7.000 s: 2.000 s of "
                                 "black screen"));
    // A hold freezes the picture between them: no black stretch.
    EXPECT_EQ(Check(std::string(kSlowHead) + "[QX3][01][Play] 0 FALSE\r\n[Engine][Hold] 3 4000\r\n"
                                              "[QX3][01][Play] 7 FALSE\r\n")
                  .warnings,
              0);
    // A cut to black of less than a second is taken as meant.
    EXPECT_EQ(Check(std::string(kSlowHead) + "[QX3][01][Play] 0 FALSE\r\n[QX3][01][Play] 3.999 FALSE\r\n").warnings,
              0);
    EXPECT_EQ(BlackWarnings(Check(std::string(kSlowHead) + "[QX3][01][Play] 0 FALSE\r\n"
                                                          "[QX3][01][Play] 4 FALSE\r\n")),
              1);
    // Scenes that follow each other to the millisecond leave none either.
    EXPECT_EQ(Check(std::string(kSlowHead) + "[QX3][01][Play] 0 FALSE\r\n[QX3][01][Play] 3 FALSE\r\n").warnings,
              0);
}

TEST_F(ScriptCheckTest, CameraLinesSayTheirFadesAndRateLinesTheirRate) {
    using namespace velmora::tools;
    SceneDescription scene;
    scene.frameCount = 90;
    scene.ambient.assign(90, 0x303030);
    scene.drawStyles.push_back(WriterDrawStyle{});
    scene.objects.push_back(CubeObject("Box", 2.0f, 0));
    WriterCamera camera;
    camera.name = "Camera01";
    camera.fov.assign(90, 0.8f);
    camera.matrices.assign(90, TranslationMatrix(0.0f, 0.0f, 8.0f));
    scene.cameras.push_back(camera);
    std::string error;
    ASSERT_TRUE(WriteSceneFile(directory + "long.QX3", scene, &error)) << error;
    ScriptCheck check = Check(
        "[QX3][00] 1\r\n"                                        // 1
        "[QX3][01][Filename] long.QX3\r\n"                       // 2
        "[QX3][01][Load]\r\n"                                    // 3
        "[QX3][01][Camera] 0 90 Camera01 15 15 100 0 FALSE\r\n"  // 4
        "[QX3][01][Camera] 0 90 Camera01 0 30 100 0 FALSE\r\n"   // 5
        "[QX3][01][FPS] 30\r\n"                                  // 6
        "[QX3][01][FPS] 60\r\n"                                  // 7
        "[QX3][01][Play] 0 FALSE\r\n");                          // 8
    EXPECT_EQ(check.warnings, 0) << FormatScriptCheck(check);
    EXPECT_TRUE(Noted(check, 4, "scene 1 camera Camera01: frames 0 to 89 changed, blend 0.000 to 1.000 (above 1: "
                                "drawn additively), extra ambient 0; fading in over frames 0 to 15, out over "
                                "frames 76 to 89"))
        << FormatScriptCheck(check);
    EXPECT_TRUE(NotedPart(check, 5, "; fading out over frames 61 to 89"));
    // The rate there was already, and a new one.
    EXPECT_TRUE(Noted(check, 6, "scene 1 plays at 30 frames a second"));
    EXPECT_TRUE(Noted(check, 7, "scene 1 plays at 60 frames a second"));
}

TEST_F(ScriptCheckTest, EachFileIsSaidToComeFromTheArchiveOrTheFolder) {
    // The script and the scene in the archive, beside a loose script that
    // the archive hides; no visibility file anywhere.
    std::string scene = ReadFile(directory + "box.QX3");
    std::remove((directory + "box.QX3").c_str());
    const std::string script = std::string(kClean);
    WriteFile(directory + "MORVAST.QXD", PackedArchive({{"MORVAST.QXP", script}, {"BOX.qx3", scene}}));
    LoadDataArchive("MORVAST.QXD");
    ScriptCheck check;
    std::string error;
    ASSERT_TRUE(velmora::tools::CheckPlayScript("MORVAST.QXP", check, error)) << error;
    EXPECT_EQ(check.warnings, 0) << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Noted(check, 1, "MORVAST.QXP is read from the archive MORVAST.QXD"))
        << velmora::tools::FormatScriptCheck(check);
    EXPECT_TRUE(Noted(check, 6, "scene 1 read from the archive: box.QX3"));
    EXPECT_TRUE(Noted(check, 6, "scene 1 has no visibility file box.VIS: every part counts as visible"));
    LoadDataArchive("");
    // Loose files come from the folder.
    WriteFile(directory + "box.QX3", scene);
    WriteFile(directory + "box.VIS", "");
    ScriptCheck loose = Check(kClean);
    EXPECT_TRUE(Noted(loose, 1, "MORVAST.QXP is read from the folder")) << velmora::tools::FormatScriptCheck(loose);
    EXPECT_TRUE(Noted(loose, 6, "scene 1 read from the folder: box.QX3, box.VIS"));
}

TEST_F(ScriptCheckTest, WarningsAfterASwallowedCountLinePointBackAtIt) {
    ScriptCheck check = Check(
        "[Engine][Local path] TRUE\r\n"      // 1
        "\r\n"                               // 2: takes "[QX" of the next line
        "[QX3][00] 1\r\n"                    // 3: never read as a count
        "[QX3][01][Filename] box.QX3\r\n"    // 4
        "[QX3][01][Load]\r\n");              // 5
    EXPECT_TRUE(Warned(check, 2, "blank line")) << velmora::tools::FormatScriptCheck(check);
    for (int line : {4, 5})
        EXPECT_TRUE(Warned(check, line, "no such scene, line skipped (the count line 3 was not read: the blank "
                                        "line 2 before it took its start)"))
            << line << "\n"
            << velmora::tools::FormatScriptCheck(check);
}

// qxcheck as a program: its exit status, and the script left as it was.
class QxcheckProgramTest : public ScriptCheckTest {};

TEST_F(QxcheckProgramTest, ExitStatusAndTheFileUntouched) {
    std::ofstream(directory + "MORVAST.QXP", std::ios::binary) << kClean;
    ProgramResult clean = RunProgram(QXCHECK_PROGRAM, {"MORVAST.QXP"}, directory, {}, 60.0);
    EXPECT_EQ(clean.exitStatus, 0) << clean.standardError;
    const std::string faulty = std::string(kClean) + "\r\n";
    std::ofstream(directory + "MORVAST.QXP", std::ios::binary) << faulty;
    // From another folder, with the script's folder in its name.
    ProgramResult warned = RunProgram(QXCHECK_PROGRAM, {directory + "MORVAST.QXP"}, "/", {}, 60.0);
    EXPECT_EQ(warned.exitStatus, 1) << warned.standardError;
    EXPECT_EQ(ReadFile(directory + "MORVAST.QXP"), faulty);
    ProgramResult missing = RunProgram(QXCHECK_PROGRAM, {"NONE.QXP"}, directory, {}, 60.0);
    EXPECT_EQ(missing.exitStatus, 2);
    EXPECT_NE(missing.standardError.find("NONE.QXP"), std::string::npos);
    EXPECT_EQ(RunProgram(QXCHECK_PROGRAM, {}, directory, {}, 60.0).exitStatus, 2);
    EXPECT_EQ(RunProgram(QXCHECK_PROGRAM, {"/no/such/folder/MORVAST.QXP"}, directory, {}, 60.0).exitStatus, 2);
}

}  // namespace
