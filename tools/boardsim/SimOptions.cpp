#include "tools/boardsim/SimOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/CommandLine.h"

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
    "  -i, --image=FILE          chip contents at start, raw or by its extension Intel HEX\n"
    "                            (.hex .ihex .eep) or S-records (.srec .s19 .mot);\n"
    "                            default all 0xFF\n"
    "  -d, --dump=FILE           write the chip contents here when they change and on exit\n"
    "  -t, --trace=FILE          log every exchange, hex, host bytes then '-> ' and the reply\n"
    "      --pace                take and send bytes at 9600 baud, about 1.04 ms each\n"
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
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// A whole number from `low` to `high`, decimal or 0x hex.
bool TakeNumber(const char* option, const char* text, long low, long high, long& value,
                std::string& error) {
    char* end = nullptr;
    errno = 0;
    const long number = std::strtol(text, &end, 0);
    if (errno != 0 || end == text || *end != '\0' || number < low || number > high) {
        error = std::string("--") + option + " takes a number from " + std::to_string(low) +
                " to " + std::to_string(high) + ", not '" + text + "'";
        return false;
    }
    value = number;
    return true;
}

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

}  // namespace

CommandLineRequest ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    BoardFaults& faults = options.faults;
    const auto take = [&](int key, const char* value, std::string& why) {
        switch (key) {
            case 'a':
                options.version = DecodeVersion(value);
                return true;
            case kPace:
                options.pace = true;
                return true;
            case kLatency:
                return TakeNumber("latency-ms", value, 0, 1000, options.latencyMs, why);
            case kSilentAfter:
                return TakeNumber("silent-after", value, 0, kMostReplies, faults.silentAfter, why);
            case kBadReplyAt:
                return TakeNumber("bad-reply-at", value, 0, 32767, faults.badReplyAt, why);
            case kShortVersion:
                return TakeNumber("short-version", value, 0, 1000, faults.shortVersion, why);
            case kDelay:
                return TakeNumber("delay-ms", value, 0, 60000, options.delayMs, why);
            case kFloodAfter:
                return TakeNumber("flood-after", value, 0, kMostReplies, options.floodAfter, why);
            case kFloodMs:
                return TakeNumber("flood-ms", value, 0, 60000, options.floodMs, why);
            default:  // kChaos
                return TakeNumber("chaos", value, 0, 0x7FFFFFFF, options.chaosSeed, why);
        }
    };
    return ReadBoardCommandLine(argc, argv, "l:c:a:i:d:t:hV", kLongOptions, options, take, error);
}

}  // namespace korvel::sim
