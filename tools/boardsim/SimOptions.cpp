#include "tools/boardsim/SimOptions.h"

#include <cctype>
#include <cstdlib>

#include "platform/CommandLine.h"
#include "protocol/FastLink.h"

namespace korvel::sim {

const char* const kSimUsage =
    "Usage: korvel-boardsim --link=PATH [OPTION]...\n"
    "Plays the Korvel programmer board with a 24Cxx chip on a pseudo-terminal whose slave\n"
    "side is linked at PATH; serves until ended by SIGTERM or SIGINT, which remove the link.\n"
    "\n"
    "Options:\n"
    "  -l, --link=PATH           where to link the board's serial device (required)\n"
    "  -c, --chip=TYPE           chip in the socket, 24C00 ... 24C256 (default 24C256)\n"
    "  -a, --board-version=TEXT  answer to 'F', \\xHH for any byte (default 2.1)\n"
    "      --chip-address=N      the chip's pins A2-A0 wired to N (0 to 7, default 0): it\n"
    "                            answers only at its own device address; pins that carry an\n"
    "                            address bit on this chip (24C04 to 24C16) are left out\n"
    "      --open-board          play Korvel's open board instead: 'F' answers K20, and\n"
    "                            'S' 01 switches to the fast link at 500 kbaud, whose frames\n"
    "                            it answers until 'Q' or 40 ms without a command\n"
    "  -i, --image=FILE          chip contents at start, raw or by its extension Intel HEX\n"
    "                            (.hex .ihex .eep) or S-records (.srec .s19 .mot);\n"
    "                            default all 0xFF\n"
    "  -d, --dump=FILE           write the chip contents here when they change and on exit\n"
    "  -t, --trace=FILE          log every exchange, hex, host bytes then '-> ' and the reply;\n"
    "                            at the fast rate one frame a line; in parentheses why a frame\n"
    "                            got no answer, or why the board went back to 9600 baud\n"
    "      --pace                take and send bytes at the line's rate, about 1.04 ms each at\n"
    "                            9600 baud, 0.02 ms at 500 kbaud, where a 'W' frame is answered\n"
    "                            after the chip's 5 ms write cycle\n"
    "      --latency-ms=N        send replies only at multiples of N ms, as a USB adapter's\n"
    "                            latency timer does (0 to 1000)\n"
    "For tests of the host's error handling:\n"
    "      --silent-after=N      answer nothing after N replies (a version answer is one)\n"
    "      --bad-reply-at=A      spoil the reply for chip address A (decimal or 0x hex)\n"
    "      --short-version=K     send only K bytes of the version answer\n"
    "      --delay-ms=M          wait M ms before every reply (0 to 60000)\n"
    "      --flood-after=N       after N replies, send bytes nobody asked for, for ever\n"
    "      --flood-ms=M          M ms between those bytes (default 0: back to back)\n"
    "      --chaos=SEED          answer at random from SEED: right, wrong, late, with more\n"
    "                            bytes, not at all, or go away\n"
    "      --no-chip             an empty socket: reads give 0xFF and writes fail\n"
    "      --endless-cycle-at=A  the write cycle of the chip's page that holds address A never\n"
    "                            ends (open board only)\n"
    "      --flip-every=N        at the fast rate, flip one random bit of about every Nth byte\n"
    "                            either way (open board only)\n"
    "      --seed=S              where those flips come from (default 1)\n"
    "  -h, --help                show this help and exit\n"
    "  -V, --version             show the version and exit\n";

namespace {

enum Key : int {
    kPace = 256,
    kLatency,
    kSilentAfter,
    kBadReplyAt,
    kShortVersion,
    kDelay,
    kFloodAfter,
    kFloodMs,
    kChaos,
    kOpenBoard,
    kNoChip,
    kEndlessCycleAt,
    kFlipEvery,
    kSeed,
};

const option kLongOptions[] = {
    {"link", required_argument, nullptr, 'l'},
    {"chip", required_argument, nullptr, 'c'},
    {"board-version", required_argument, nullptr, 'a'},
    {"image", required_argument, nullptr, 'i'},
    {"dump", required_argument, nullptr, 'd'},
    {"trace", required_argument, nullptr, 't'},
    {"pace", no_argument, nullptr, kPace},
    {"latency-ms", required_argument, nullptr, kLatency},
    {"silent-after", required_argument, nullptr, kSilentAfter},
    {"bad-reply-at", required_argument, nullptr, kBadReplyAt},
    {"short-version", required_argument, nullptr, kShortVersion},
    {"delay-ms", required_argument, nullptr, kDelay},
    {"flood-after", required_argument, nullptr, kFloodAfter},
    {"flood-ms", required_argument, nullptr, kFloodMs},
    {"chaos", required_argument, nullptr, kChaos},
    {"chip-address", required_argument, nullptr, kChipAddressKey},
    {"open-board", no_argument, nullptr, kOpenBoard},
    {"no-chip", no_argument, nullptr, kNoChip},
    {"endless-cycle-at", required_argument, nullptr, kEndlessCycleAt},
    {"flip-every", required_argument, nullptr, kFlipEvery},
    {"seed", required_argument, nullptr, kSeed},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// "\xHH" stands for the byte HH, "\\" for a backslash; anything else is taken as it is.
std::string DecodeVersion(const char* text) {
    std::string bytes;
    for (const char* p = text; *p != '\0'; ++p) {
        if (p[0] == '\\' && p[1] == '\\') {
            bytes += '\\';
            ++p;
        } else if (p[0] == '\\' && p[1] == 'x' && std::isxdigit(static_cast<unsigned char>(p[2])) &&
                   std::isxdigit(static_cast<unsigned char>(p[3]))) {
            const char hex[3] = {p[2], p[3], '\0'};
            bytes += static_cast<char>(std::strtol(hex, nullptr, 16));
            p += 3;
        } else {
            bytes += *p;
        }
    }
    return bytes;
}

constexpr long kMostReplies = 1L << 40;  // more than any run of the board will give

// The open board answers 'F' with its own version, and only it has a fast link or reports a
// write cycle that never ended.
bool OpenBoardAgrees(SimOptions& options, bool versionGiven, std::string& error) {
    if (options.openBoard) {
        if (versionGiven) {
            error = "--board-version and --open-board exclude each other";
            return false;
        }
        options.version.assign(std::begin(protocol::kOpenBoardVersion),
                               std::end(protocol::kOpenBoardVersion));
        return true;
    }
    if (options.chipFaults.endlessCycleAt >= 0 || options.flipEvery > 0) {
        error = std::string(options.flipEvery > 0 ? "--flip-every" : "--endless-cycle-at") +
                " needs --open-board";
        return false;
    }
    return true;
}

}  // namespace

CommandLineRequest ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    BoardFaults& faults = options.faults;
    bool versionGiven = false;
    const auto take = [&](int key, const char* value, std::string& why) {
        switch (key) {
            case 'a':
                options.version = DecodeVersion(value);
                versionGiven = true;
                return true;
            case kOpenBoard:
                options.openBoard = true;
                return true;
            case kNoChip:
                options.chipFaults.absent = true;
                return true;
            case kEndlessCycleAt:
                return ReadOptionNumber("endless-cycle-at", value, 0, 32767,
                                        options.chipFaults.endlessCycleAt, why);
            case kFlipEvery:
                return ReadOptionNumber("flip-every", value, 1, 1000000, options.flipEvery, why);
            case kSeed:
                return ReadOptionNumber("seed", value, 0, 0x7FFFFFFF, options.seed, why);
            case kPace:
                options.pace = true;
                return true;
            case kLatency:
                return ReadOptionNumber("latency-ms", value, 0, 1000, options.latencyMs, why);
            case kSilentAfter:
                return ReadOptionNumber("silent-after", value, 0, kMostReplies, faults.silentAfter,
                                        why);
            case kBadReplyAt:
                return ReadOptionNumber("bad-reply-at", value, 0, 32767, faults.badReplyAt, why);
            case kShortVersion:
                return ReadOptionNumber("short-version", value, 0, 1000, faults.shortVersion, why);
            case kDelay:
                return ReadOptionNumber("delay-ms", value, 0, 60000, options.delayMs, why);
            case kFloodAfter:
                return ReadOptionNumber("flood-after", value, 0, kMostReplies, options.floodAfter,
                                        why);
            case kFloodMs:
                return ReadOptionNumber("flood-ms", value, 0, 60000, options.floodMs, why);
            default:  // kChaos
                return ReadOptionNumber("chaos", value, 0, 0x7FFFFFFF, options.chaosSeed, why);
        }
    };
    const CommandLineRequest request =
        ReadBoardCommandLine(argc, argv, "l:c:a:i:d:t:hV", kLongOptions, options, take, error);
    if (request != CommandLineRequest::Run) {
        return request;
    }
    return OpenBoardAgrees(options, versionGiven, error) ? request : CommandLineRequest::Mistake;
}

}  // namespace korvel::sim
