// Checks a play script by reading it with the player's own reader and telling,
// line by line, what the player will do with it and where it falls out of step.
#pragma once

#include <string>
#include <vector>

namespace velmora::tools {

struct ScriptFinding {
    int line = 0;          // the line of the file, from 1
    bool warning = false;  // false: what the player does; true: a warning
    std::string text;
};

struct ScriptCheck {
    std::vector<std::string> lines;      // the script's lines as written, line ends cut
    std::vector<ScriptFinding> findings; // in the order of the lines, then of reading
    int warnings = 0;
};

// Reads the named script as the player does: looked up in the archive loaded
// with LoadDataArchive and then on disk from the current folder, with every
// scene it loads. Leaves the engine's run state empty again (no scenes, tracks
// or actions) and the log as it was. False, with a one-line message in error,
// when the script is in neither place.
bool CheckPlayScript(const std::string& scriptName, ScriptCheck& check, std::string& error);

// The report as printed by qxcheck: each line of the script, what the player
// does with it and its warnings, then the number of warnings.
std::string FormatScriptCheck(const ScriptCheck& check);

}  // namespace velmora::tools
