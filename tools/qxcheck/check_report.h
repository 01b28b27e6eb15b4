// The words of qxcheck's report: how actions, loaded scenes, shading and
// times are said, and the report itself (FormatScriptCheck, declared in
// script_check.h), each line of the script followed by its findings.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qxcheck/show_snapshot.h"

namespace velmora::tools {

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// "12.500 s"
std::string Seconds(double milliseconds);
// "at 12.500 s: play scene 2 looped"
std::string DescribeAction(const ActionRecord& action);
// "a, b, c", or "none"
std::string NameList(const std::vector<std::string>& names);
// "lines 4, 7 and 9"; past eight lines, "... and 5 more"
std::string LineList(const std::vector<int>& lines);
// A scene's cameras, objects and counts once it is loaded.
std::string DescribeLoaded(const SceneState& scene, int index);
const char* ShadeName(int32_t mode);

}  // namespace velmora::tools
