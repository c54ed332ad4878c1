#include "tools/avrboard/BoardOptions.h"

namespace korvel::sim {

const char* const kBoardUsage =
    "usage: korvel-avrboard --link PATH [options]\n"
    "Runs the programmer board's firmware on a simulated ATmega328P at 16 MHz, with a 24Cxx\n"
    "chip on its I2C bus and its serial line on a pseudo-terminal linked at PATH; serves until\n"
    "ended by SIGTERM or SIGINT.\n"
    "  --firmware ELF   the firmware to run (default: the one built with this program)\n"
    "  --chip TYPE      chip in the socket, 24C00 ... 24C256 (default 24C256)\n"
    "  --image FILE     chip contents at start (default all 0xFF)\n"
    "  --dump FILE      write the chip contents here when they change and on exit\n"
    "  --trace FILE     log every byte on the line with its simulated time in microseconds\n"
    "  --no-chip        leave the socket empty\n"
    "  --stuck-bus      the I2C bus is held low: no transfer ever completes\n"
    "  --fast           let the board's time run ahead while it has work (the line, the bus,\n"
    "                   the chip's write cycle); it keeps to the wall clock while it waits\n"
    "                   for the host\n";

namespace {

std::string* TextOption(BoardOptions& options, const std::string& flag) {
    if (flag == "--link") {
        return &options.link;
    }
    if (flag == "--firmware") {
        return &options.firmware;
    }
    if (flag == "--image") {
        return &options.image;
    }
    if (flag == "--dump") {
        return &options.dump;
    }
    if (flag == "--trace") {
        return &options.trace;
    }
    return nullptr;
}

bool* SwitchOption(BoardOptions& options, const std::string& flag) {
    if (flag == "--no-chip") {
        return &options.noChip;
    }
    if (flag == "--stuck-bus") {
        return &options.stuckBus;
    }
    if (flag == "--fast") {
        return &options.fast;
    }
    return nullptr;
}

}  // namespace

bool ParseBoardOptions(int argc, char** argv, BoardOptions& options, std::string& error) {
    std::string chip;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        std::string* text = flag == "--chip" ? &chip : TextOption(options, flag);
        if (bool* on = SwitchOption(options, flag)) {
            *on = true;
        } else if (text == nullptr) {
            error = "unknown option " + flag;
            return false;
        } else if (i + 1 == argc) {
            error = flag + " needs a value";
            return false;
        } else {
            *text = argv[++i];
        }
    }
    if (!chip.empty()) {
        options.chip = FindChip(chip);
        if (options.chip == nullptr) {
            error = "unknown chip " + chip;
            return false;
        }
    }
    if (options.link.empty()) {
        error = "--link PATH is required";
        return false;
    }
    return true;
}

}  // namespace korvel::sim
