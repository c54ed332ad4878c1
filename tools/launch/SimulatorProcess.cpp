#include "tools/launch/SimulatorProcess.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace korvel {

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& options,
                                   const std::string& program)
    : link_(dir_.File("port")) {
    std::vector<std::string> args = {program,       "--link", link_,       "--trace",
                                     File("trace"), "--dump", File("dump")};
    args.insert(args.end(), options.begin(), options.end());

    int out[2];
    if (pipe(out) != 0) {
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    // The simulator prints its link once it serves; wait for that line, five seconds at most.
    std::FILE* printed = fdopen(out[0], "r");
    pollfd entry{out[0], POLLIN, 0};
    char line[512] = "";
    started_ = poll(&entry, 1, 5000) > 0 && std::fgets(line, sizeof line, printed) != nullptr &&
               line == link_ + "\n";
    std::fclose(printed);
    if (!started_) {
        std::fprintf(stderr, "korvel-boardsim did not start: %s\n", line);
    }
    ServeAsPort(2);
}

SimulatorProcess::~SimulatorProcess() {
    Stop();
}

void SimulatorProcess::ServeAsPort(int portNumber) const {
    setenv(("KORVEL_COM" + std::to_string(portNumber)).c_str(), link_.c_str(), 1);
}

void SimulatorProcess::End(int signal) {
    if (pid_ > 0) {
        kill(pid_, signal);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

std::vector<std::string> SimulatorProcess::Trace() const {
    std::ifstream in(File("trace"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::uint8_t> SimulatorProcess::Dump() const {
    return ReadFileBytes(File("dump"));
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    const std::string bytes = ReadFileText(path);
    return {bytes.begin(), bytes.end()};
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

}  // namespace korvel
