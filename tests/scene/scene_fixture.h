// A scene test: the log on in a fresh directory that is also the current one
// (so bare names resolve there, with or without the local-path setting), a
// recording device as d3dDevice and the fake texture cache.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scene/scene.h"
#include "scene_writer/scene_writer.h"
#include "support/recording_device.h"

namespace velmora::testing {

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes bytes to the named file in the test directory.
    void WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes);
    // Writes the description (as given, unchecked) and loads it into scene.
    void Load(const tools::SceneDescription& description, const std::string& name = "scene.QX3");
    // Loads an already written file into scene as the play script would.
    void LoadFile(const std::string& name);
    // Log.TXT split into its CR LF lines.
    std::vector<std::string> LogLines();
    void ClearLog();
    // The log lines that start with the prefix.
    std::vector<std::string> LogLinesStarting(const std::string& prefix);

    std::string directory;
    Scene scene{};
    RecordingDevice device;

private:
    std::string previousDirectory;
};

}  // namespace velmora::testing
