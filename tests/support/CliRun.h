#pragma once

#include <string>
#include <vector>

namespace korvel {

// What a run of korvel-cli left: its exit status and its two outputs.
struct CliRun {
    int status;  // -1 when it did not end normally
    std::string out;
    std::string err;
};

// Runs korvel-cli through the shell with these arguments, no input and its outputs captured;
// `before` runs in the same shell first (a `cd`, a `ulimit`), and `combined` sends standard
// error into the same file as standard output, as a log would have it. A run that outlives
// five minutes is killed.
CliRun Cli(const std::vector<std::string>& args, const std::string& before = "",
           bool combined = false);

}  // namespace korvel
