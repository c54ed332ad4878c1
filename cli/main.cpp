// korvel-cli: the programmer's operations from the command line, for scripts and production
// benches.
#include <unistd.h>

#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/Session.h"
#include "platform/Signals.h"
#include "resources/Version.h"

int main(int argc, char** argv) {
    using namespace korvel;
    // Each line whole and at once, so that a log keeps the order of what happened.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CliOptions options;
    std::string error;
    const CommandLineRequest request =
        ParseCliOptions(argc, argv, options, error, isatty(STDIN_FILENO) == 1);
    if (request != CommandLineRequest::Run) {
        return AnswerCommandLine(request, "korvel-cli", CliUsage().c_str(), KORVEL_VERSION, error);
    }
    InstallSignalHandling();
    Session session(options);
    return session.Run() ? 0 : 1;
}
