#include "platform/Launcher.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace korvel {

void StartDetached(const std::string& program, const std::string& argument) {
    // Everything the children need is ready before fork: after it only async-signal-safe calls.
    std::string name = program;
    std::string parameter = argument;
    char* const argv[] = {name.data(), parameter.data(), nullptr};

    const pid_t middle = fork();
    if (middle < 0) {
        return;
    }
    if (middle == 0) {
        // The middle child ends at once; the viewer, its child, is then adopted by init, which
        // reaps it, and this process only ever waits for a process that has already ended.
        if (fork() == 0) {
            setsid();
            // The viewer must not hold the serial port or any other file of ours.
            close_range(3, ~0U, 0);
            execvp(argv[0], argv);
            _exit(127);
        }
        _exit(0);
    }
    while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        // a signal came first: the middle child still has to be reaped
    }
}

}  // namespace korvel
