#include "tools/line/StopSignals.h"

#include <initializer_list>

namespace korvel::sim {

volatile std::sig_atomic_t stopRequested = 0;

namespace {

void RequestStop(int) {
    stopRequested = 1;
}

}  // namespace

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

}  // namespace korvel::sim
