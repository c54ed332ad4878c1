#include "platform/Launcher.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace korvel {

namespace {

// Closes every descriptor from 3 on but `keep`.
void CloseAllBut(int keep) {
    if (keep > 3) {
        close_range(3, static_cast<unsigned>(keep) - 1, 0);
    }
    close_range(static_cast<unsigned>(keep) + 1, ~0U, 0);
}

// In a child: tells the parent why it could not go on, and ends.
[[noreturn]] void Fail(int report) {
    const int error = errno;
    if (write(report, &error, sizeof error) < 0) {
        // nobody left to tell
    }
    _exit(127);
}

}  // namespace

bool StartDetached(const std::string& program, const std::string& argument, std::string& problem) {
    // Everything the children need is ready before fork: after it only async-signal-safe calls.
    std::string name = program;
    std::string parameter = argument;
    char* const argv[] = {name.data(), parameter.data(), nullptr};

    // The children report a failure through the pipe; it closes unwritten as the program starts,
    // for it closes on exec.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        problem = std::strerror(errno);
        return false;
    }
    const pid_t middle = fork();
    if (middle < 0) {
        problem = std::strerror(errno);
        close(report[0]);
        close(report[1]);
        return false;
    }
    if (middle == 0) {
        // The middle child ends at once; the viewer, its child, is then adopted by init, which
        // reaps it, and this process only ever waits for a process that has already ended.
        const pid_t viewer = fork();
        if (viewer < 0) {
            Fail(report[1]);
        }
        if (viewer == 0) {
            setsid();
            // The viewer must not hold the serial port or any other file of ours.
            CloseAllBut(report[1]);
            execvp(argv[0], argv);
            Fail(report[1]);
        }
        _exit(0);
    }
    close(report[1]);
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        // a signal came first: the middle child still has to be reaped
    }
    int error = 0;
    ssize_t got = 0;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
        // a signal came first: the answer is still to come
    }
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        problem = std::strerror(error);
        return false;
    }
    return true;
}

}  // namespace korvel
