#include "platform/Signals.h"

#include <csignal>

#include "platform/AtomicFileWriter.h"
#include "platform/SerialPort.h"

namespace korvel {

namespace {

void ReleaseAndEnd(int signal) {
    AtomicFileWriter::RemovePendingFile();
    SerialPort::ReleaseOnSignal();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void InstallSignalHandling() {
    struct sigaction end {};
    end.sa_handler = ReleaseAndEnd;
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        // A signal ignored by whoever started us (a background job's SIGINT) stays ignored.
        struct sigaction before {};
        if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            sigaction(signal, &end, nullptr);
        }
    }
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace korvel
