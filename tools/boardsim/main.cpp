// korvel-boardsim: the programmer board and its chip, on a pseudo-terminal.
#include <sys/prctl.h>

#include <csignal>
#include <cstdio>

#include "resources/Version.h"
#include "tools/boardsim/Board.h"
#include "tools/boardsim/ChipFiles.h"
#include "tools/boardsim/Pty.h"
#include "tools/boardsim/Server.h"
#include "tools/boardsim/SimOptions.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void RequestStop(int) {
    stopRequested = 1;
}

// SIGTERM and SIGINT end the service; they are let in only while the server waits for the line.
void CatchStopSignals() {
    struct sigaction stop {};
    stop.sa_handler = RequestStop;
    sigset_t stopSignals{};
    sigemptyset(&stopSignals);
    for (const int signal : {SIGTERM, SIGINT}) {
        sigaction(signal, &stop, nullptr);
        sigaddset(&stopSignals, signal);
    }
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGHUP, SIG_IGN);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace korvel::sim;
    SimOptions options;
    std::string error;
    switch (ParseSimOptions(argc, argv, options, error)) {
        case SimRequest::Help:
            std::fputs(kSimUsage, stdout);
            return 0;
        case SimRequest::Version:
            std::printf("korvel-boardsim (Korvel) %s\n", KORVEL_VERSION);
            return 0;
        case SimRequest::Mistake:
            std::fprintf(
                stderr, "korvel-boardsim: %s\nTry 'korvel-boardsim --help' for more information.\n",
                error.c_str());
            return 2;
        case SimRequest::Run:
            break;
    }
    std::vector<std::uint8_t> chip;
    if (!LoadChipImage(options.image, options.chip->size, chip, error)) {
        std::fprintf(stderr, "korvel-boardsim: %s\n", error.c_str());
        return 2;
    }
    Board board(*options.chip, std::move(chip), options.version, options.faults);
    CatchStopSignals();

    Pty pty;
    if (!pty.Create(options.link, error)) {
        std::fprintf(stderr, "korvel-boardsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", options.link.c_str());
    std::fflush(stdout);

    if (options.pace || options.latencyMs > 0) {
        prctl(PR_SET_TIMERSLACK, 1UL);  // byte times are a millisecond: wake on the microsecond
    }
    Server server(options, board, pty.master());
    server.Run(stopRequested);
    return 0;
}
