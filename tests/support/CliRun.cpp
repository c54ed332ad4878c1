#include "tests/support/CliRun.h"

#include <sys/wait.h>

#include <cstdlib>

#include "tests/support/SimulatorProcess.h"

namespace korvel {

CliRun Cli(const std::vector<std::string>& args, const std::string& before, bool combined) {
    TempDir dir;
    std::string command = before + "timeout -s KILL 300 " KORVEL_CLI;
    for (const std::string& arg : args) {
        command += " '" + arg + "'";
    }
    command += " </dev/null >'" + dir.File("out") + "' 2>" +
               (combined ? "&1" : "'" + dir.File("err") + "'");
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFileText(dir.File("out")),
            ReadFileText(dir.File("err"))};
}

}  // namespace korvel
