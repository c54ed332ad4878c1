#include "platform/Signals.h"

#include <csignal>

#include "platform/AtomicFileWriter.h"
#include "platform/SerialPort.h"

namespace korvel {

namespace {

// The signals whose default action ends the program, but SIGKILL, which cannot be caught,
// SIGPIPE and SIGXFSZ, which are ignored instead; the real-time signals end it too.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,    SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                                  SIGFPE,  SIGUSR1,   SIGSEGV, SIGUSR2, SIGALRM, SIGTERM, SIGSTKFLT,
                                  SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS};

void ReleaseAndEnd(int signal) {
    AtomicFileWriter::RemovePendingFile();
    SerialPort::ReleaseOnSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// A signal that is not left at its default when the program starts stays as it is: one ignored
// by whoever started us (a background job's SIGINT), or caught by a sanitizer's run-time.
void EndOnSignal(int signal) {
    struct sigaction before {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_DFL) {
        struct sigaction end {};
        end.sa_handler = ReleaseAndEnd;
        sigaction(signal, &end, nullptr);
    }
}

}  // namespace

void InstallSignalHandling() {
    for (const int signal : kEndingSignals) {
        EndOnSignal(signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        EndOnSignal(signal);
    }
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace korvel
