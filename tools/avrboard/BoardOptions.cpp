#include "tools/avrboard/BoardOptions.h"

namespace korvel::sim {

const char* const kBoardUsage =
    "Usage: korvel-avrboard --link=PATH [OPTION]...\n"
    "Runs the programmer board's firmware on a simulated ATmega328P at 16 MHz, with a 24Cxx\n"
    "chip on its I2C bus and its serial line on a pseudo-terminal linked at PATH; serves until\n"
    "ended by SIGTERM or SIGINT, which remove the link. The host's side of the line runs at the\n"
    "rate the host set on the pseudo-terminal; bytes sent at another rate than the board's\n"
    "arrive as framing errors.\n"
    "\n"
    "Options:\n"
    "  -l, --link=PATH              where to link the board's serial device (required)\n"
    "  -f, --firmware=ELF           the firmware to run (default: the one built with this "
    "program)\n"
    "  -c, --chip=TYPE              chip in the socket, 24C00 ... 24C256 (default 24C256)\n"
    "  -i, --image=FILE             chip contents at start, raw or by its extension Intel HEX\n"
    "                               (.hex .ihex .eep) or S-records (.srec .s19 .mot);\n"
    "                               default all 0xFF\n"
    "  -d, --dump=FILE              write the chip contents here when they change and on exit\n"
    "  -t, --trace=FILE             log every byte on the line with its simulated time in\n"
    "                               microseconds\n"
    "      --chip-address=N         the chip's pins A2-A0 wired to N (0 to 7, default 0): it\n"
    "                               answers only at its own device address; pins that carry\n"
    "                               an address bit on this chip (24C04 to 24C16) are left out\n"
    "      --no-chip                leave the socket empty\n"
    "      --stuck-bus              the I2C bus is held low: no transfer ever completes\n"
    "      --fast                   let the board's time run ahead while it has work (the\n"
    "                               line, the bus, the chip's write cycle); it keeps to the\n"
    "                               wall clock while it waits for the host\n"
    "      --latency-ms=N           pass the board's bytes on to the host only at multiples of\n"
    "                               N ms of simulated time, as a USB adapter's latency timer\n"
    "                               does (0 to 1000)\n"
    "      --write-cycle-ms=N       the chip's write cycle (1 to 100, default 5)\n"
    "      --endless-cycle-at=ADDR  a write that stores chip address ADDR never ends its\n"
    "                               write cycle\n"
    "      --refuse-write-at=ADDR   the chip does not acknowledge data for address ADDR\n"
    "  -h, --help                   show this help and exit\n"
    "  -V, --version                show the version and exit\n";

namespace {

enum Key : int {
    kNoChip = 256,
    kStuckBus,
    kFast,
    kLatency,
    kWriteCycle,
    kEndlessCycle,
    kRefuseWrite
};

const option kLongOptions[] = {
    {"link", required_argument, nullptr, 'l'},
    {"firmware", required_argument, nullptr, 'f'},
    {"chip", required_argument, nullptr, 'c'},
    {"image", required_argument, nullptr, 'i'},
    {"dump", required_argument, nullptr, 'd'},
    {"trace", required_argument, nullptr, 't'},
    {"chip-address", required_argument, nullptr, kChipAddressKey},
    {"no-chip", no_argument, nullptr, kNoChip},
    {"stuck-bus", no_argument, nullptr, kStuckBus},
    {"fast", no_argument, nullptr, kFast},
    {"latency-ms", required_argument, nullptr, kLatency},
    {"write-cycle-ms", required_argument, nullptr, kWriteCycle},
    {"endless-cycle-at", required_argument, nullptr, kEndlessCycle},
    {"refuse-write-at", required_argument, nullptr, kRefuseWrite},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

CommandLineRequest ParseBoardOptions(int argc, char** argv, BoardOptions& options,
                                     std::string& error) {
    const auto take = [&options](int key, const char* value, std::string& why) {
        switch (key) {
            case 'f':
                options.firmware = value;
                return true;
            case kNoChip:
                options.noChip = true;
                return true;
            case kStuckBus:
                options.stuckBus = true;
                return true;
            case kFast:
                options.fast = true;
                return true;
            case kLatency:
                return ReadOptionNumber("latency-ms", value, 0, 1000, options.latencyMs, why);
            case kWriteCycle:
                return ReadOptionNumber("write-cycle-ms", value, 1, 100, options.writeCycleMs, why);
            case kEndlessCycle:
                return ReadOptionNumber("endless-cycle-at", value, 0, 32767, options.endlessCycleAt,
                                        why);
            default:  // kRefuseWrite
                return ReadOptionNumber("refuse-write-at", value, 0, 32767, options.refuseWriteAt,
                                        why);
        }
    };
    return ReadBoardCommandLine(argc, argv, "l:f:c:i:d:t:hV", kLongOptions, options, take, error);
}

}  // namespace korvel::sim
