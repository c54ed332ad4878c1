#include "tests/support/ToolRun.h"

#include <sys/wait.h>

#include <cstdlib>

#include "tools/launch/SimulatorProcess.h"
#include "tools/launch/TempDir.h"

namespace korvel {

namespace {

// A word as the shell reads it back unchanged, whatever it holds.
std::string Quoted(const std::string& word) {
    std::string quoted = "'";
    for (const char c : word) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

ToolRun RunTool(const std::vector<std::string>& command) {
    // Output goes to files, not pipes: nothing can block however much the program prints.
    TempDir dir;
    std::string line;
    for (const std::string& word : command) {
        line += Quoted(word) + " ";
    }
    line += "</dev/null >" + Quoted(dir.File("out")) + " 2>" + Quoted(dir.File("err"));
    const int status = std::system(line.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(dir.File("out")),
            ReadFileText(dir.File("err"))};
}

std::string Outcome(const ToolRun& run) {
    return std::to_string(run.status) + ": " + run.out;
}

bool OnPath(const std::string& name) {
    return std::system(("command -v " + Quoted(name) + " >/dev/null").c_str()) == 0;
}

ToolRun Cli(const std::vector<std::string>& args, const std::string& before, bool combined) {
    std::string line = before + "exec timeout -s KILL 300 " + Quoted(KORVEL_CLI);
    for (const std::string& arg : args) {
        line += " " + Quoted(arg);
    }
    return RunTool({"sh", "-c", line + (combined ? " 2>&1" : "")});
}

}  // namespace korvel
