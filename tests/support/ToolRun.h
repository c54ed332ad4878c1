#pragma once

#include <string>
#include <vector>

namespace korvel {

// What a program printed and how it ended.
struct ToolRun {
    int status = -1;  // the exit status; 127 when it could not be started, -1 when it did not exit
    std::string out;
    std::string err;
};

// Runs a program (looked up on the PATH when the name has no slash) with the arguments that
// follow it, with no input, and waits for it to end.
ToolRun RunTool(const std::vector<std::string>& command);

// A run's exit status and standard output as one text, "status: output", to compare both at once.
std::string Outcome(const ToolRun& run);

// Whether a program of this name is on the PATH.
bool OnPath(const std::string& name);

// Runs korvel-cli with these arguments; `before` runs first in the same shell (a `cd`, a
// `ulimit`), and `combined` sends standard error into standard output, as a log would have it.
// A run that outlives five minutes is killed.
ToolRun Cli(const std::vector<std::string>& args, const std::string& before = "",
            bool combined = false);

}  // namespace korvel
