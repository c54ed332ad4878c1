#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

namespace korvel {

// Milliseconds since construction; timing checks stay loose, the machines are shared.
class Stopwatch {
  public:
    long Ms() const {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start_)
                                     .count());
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Runs `work` in a copy of the test process and waits for it `limitMs` at most: true when it
// ended in time and `work` returned true. A copy that overruns is killed, so that a wait without
// end fails the test instead of hanging it.
inline bool EndsWithin(long limitMs, const std::function<bool()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        // _exit: the copy must not run the test's exit handlers or remove its directories.
        _exit(work() ? 0 : 1);
    }
    const Stopwatch waited;
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (waited.Ms() > limitMs) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace korvel
