// --help and --version, which every tool answers the same way, and the
// refusal of options a tool does not have.
#pragma once

#include <optional>

namespace velmora::tools {

// With --help or --version among the arguments, prints help or "NAME VERSION"
// on standard output and gives 0 for main to return. For a tool with no
// options of its own (ownOptions false), any other argument of more than one
// character that starts with '-' is one line, "NAME: unknown option X; " and
// the help's first line, on standard error, and gives 2. Otherwise nothing:
// the tool reads its arguments.
std::optional<int> AnswerStandardOptions(int argc, const char* const* argv, const char* name, const char* help,
                                         bool ownOptions);

}  // namespace velmora::tools
