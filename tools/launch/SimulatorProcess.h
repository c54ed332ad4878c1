#pragma once

#include <sys/types.h>

#include <csignal>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/launch/TempDir.h"

namespace korvel {

// korvel-boardsim running as a real process on its own pseudo-terminal, with its trace and dump
// files in a directory of its own.
class SimulatorProcess {
  public:
    // Starts the board simulator, or another simulated board that takes the same options for
    // its link, trace and dump, as the board on port COM2, where the program looks first.
    explicit SimulatorProcess(const std::vector<std::string>& options = {},
                              const std::string& program = KORVEL_BOARDSIM);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // False when the simulator could not be started.
    bool Started() const { return started_; }
    const std::string& Link() const { return link_; }
    std::string File(const std::string& name) const { return dir_.File(name); }
    // Points port COMn of the program at this simulator as well.
    void ServeAsPort(int portNumber) const;

    // Ends the simulator as a user would (SIGTERM) and waits for it; the dump is then complete.
    void Stop() { End(SIGTERM); }
    // Ends it without warning, as a pulled adapter would.
    void Kill() { End(SIGKILL); }

    std::vector<std::string> Trace() const;
    std::vector<std::uint8_t> Dump() const;

  private:
    void End(int signal);

    TempDir dir_;
    std::string link_;
    pid_t pid_ = -1;
    bool started_ = false;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
std::string ReadFileText(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace korvel
