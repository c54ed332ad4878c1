// korvel-boardsim: the programmer board and its chip, on a pseudo-terminal.
#include <sys/prctl.h>

#include <csignal>
#include <cstdio>

#include "resources/Version.h"
#include "tools/boardsim/Board.h"
#include "tools/boardsim/Chip.h"
#include "tools/boardsim/Server.h"
#include "tools/boardsim/SimOptions.h"
#include "tools/line/ChipFiles.h"
#include "tools/line/Pty.h"
#include "tools/line/StopSignals.h"

int main(int argc, char** argv) {
    using namespace korvel;
    using namespace korvel::sim;
    SimOptions options;
    std::string error;
    const CommandLineRequest request = ParseSimOptions(argc, argv, options, error);
    if (request != CommandLineRequest::Run) {
        return AnswerCommandLine(request, "korvel-boardsim", kSimUsage, KORVEL_VERSION, error);
    }
    std::vector<std::uint8_t> chip;
    if (!LoadChipImage(options.image, options.chip->size, chip, error)) {
        std::fprintf(stderr, "korvel-boardsim: %s\n", error.c_str());
        return 2;
    }
    Chip socket(*options.chip, std::move(chip), options.chipFaults,
                static_cast<int>(options.chipAddress));
    Board board(socket, options.version, options.openBoard, options.faults);
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
    Server server(options, board, pty);
    server.Run(stopRequested);
    return 0;
}
