#include "platform/Signals.h"

#include <csignal>

#include "platform/AtomicFileWriter.h"

namespace korvel {

namespace {

void RemoveAndEnd(int signal) {
    AtomicFileWriter::RemovePendingFile();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void InstallSignalHandling() {
    struct sigaction end {};
    end.sa_handler = RemoveAndEnd;
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
