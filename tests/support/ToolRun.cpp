#include "tests/support/ToolRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "tests/support/SimulatorProcess.h"
#include "tests/support/TempDir.h"

extern char** environ;

namespace korvel {

ToolRun RunTool(const std::vector<std::string>& command) {
    // Output goes to files, not pipes: nothing can block however much the program prints.
    TempDir dir;
    const std::string out = dir.File("out");
    const std::string err = dir.File("err");
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&files, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<std::string> words = command;
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    ToolRun run;
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &files, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&files);
    if (spawned != 0) {
        run.err = "cannot start " + command.front();
        return run;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        // a signal came first: wait again
    }
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadFileText(out);
    run.err = ReadFileText(err);
    return run;
}

std::string Outcome(const ToolRun& run) {
    return std::to_string(run.status) + ": " + run.out;
}

bool OnPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + name).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

ToolRun Cli(const std::vector<std::string>& args, const std::string& before, bool combined) {
    // "$@" hands the arguments on untouched, whatever they hold.
    std::vector<std::string> command = {
        "sh", "-c",
        before + "exec timeout -s KILL 300 " KORVEL_CLI " \"$@\"" + (combined ? " 2>&1" : ""),
        "sh"};
    command.insert(command.end(), args.begin(), args.end());
    return RunTool(command);
}

}  // namespace korvel
