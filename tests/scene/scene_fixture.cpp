#include "scene/scene_fixture.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>

#include "diag/log.h"
#include "render/display.h"
#include "support/fake_texture_cache.h"
#include "support/engine_fixture.h"
#include "support/temp_files.h"

namespace velmora::testing {

void SceneTest::SetUp() {
    ResetEngineState();
    ResetFakeTextures();
    directory = MakeTempDirectory() + "/";
    char current[4096];
    if (getcwd(current, sizeof current)) previousDirectory = current;
    ASSERT_EQ(chdir(directory.c_str()), 0);
    std::snprintf(exeDirectory, sizeof exeDirectory, "%s", directory.c_str());
    logEnabled = 1;
    d3dDevice = &device;
}

void SceneTest::TearDown() {
    FreeScene(&scene);
    ResetEngineState();
    if (!previousDirectory.empty()) {
        EXPECT_EQ(chdir(previousDirectory.c_str()), 0);
    }
}

void SceneTest::WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream out(directory + name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void SceneTest::Load(const tools::SceneDescription& description, const std::string& name) {
    WriteBytes(name, tools::SceneBytes(description));
    LoadFile(name);
}

void SceneTest::LoadFile(const std::string& name) {
    scene.fileName = strdup(name.c_str());
    LoadScene(&scene, scene.fileName, &device);
}

std::vector<std::string> SceneTest::LogLines() {
    std::string text = ReadFile(directory + "Log.TXT");
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size()) lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

void SceneTest::ClearLog() { std::remove((directory + "Log.TXT").c_str()); }

std::vector<std::string> SceneTest::LogLinesStarting(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : LogLines())
        if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
}

}  // namespace velmora::testing
