#include "tools/boardsim/SimOptions.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "dialog/DeviceCatalog.h"

namespace korvel::sim {

const char* const kSimUsage =
    "usage: korvel-boardsim --link PATH [options]\n"
    "Plays the Korvel programmer board with a 24Cxx chip on a pseudo-terminal whose slave\n"
    "side is linked at PATH; serves until ended by SIGTERM or SIGINT.\n"
    "  --chip TYPE          chip in the socket, 24C00 ... 24C256 (default 24C256)\n"
    "  --version TEXT       answer to 'F', \\xHH for any byte (default 2.1)\n"
    "  --image FILE         chip contents at start (default all 0xFF)\n"
    "  --dump FILE          write the chip contents here when they change and on exit\n"
    "  --trace FILE         log every exchange, hex, host bytes then '-> ' and the reply\n"
    "  --silent-after N     answer nothing after N replies (a version answer is one)\n"
    "  --bad-reply-at A     spoil the reply for chip address A (decimal or 0x hex)\n"
    "  --short-version K    send only K bytes of the version answer\n"
    "  --delay-ms M         wait M ms before every reply\n"
    "  --pace               take and send bytes at 9600 baud, about 1.04 ms each\n";

namespace {

bool ParseNumber(const char* text, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 0);
    return errno == 0 && end != text && *end == '\0' && value >= 0;
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

}  // namespace

bool ParseSimOptions(int argc, char** argv, SimOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (flag == "--pace") {
            options.pace = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = flag + " needs a value";
            return false;
        }
        const char* value = argv[++i];
        long number = 0;
        const bool numeric = ParseNumber(value, number);
        if (flag == "--link") {
            options.link = value;
        } else if (flag == "--chip") {
            options.chipType = FindDevice(value);
            if (options.chipType < 0) {
                error = std::string("unknown chip ") + value;
                return false;
            }
        } else if (flag == "--version") {
            options.version = DecodeVersion(value);
        } else if (flag == "--image") {
            options.image = value;
        } else if (flag == "--dump") {
            options.dump = value;
        } else if (flag == "--trace") {
            options.trace = value;
        } else if (flag == "--silent-after" && numeric) {
            options.faults.silentAfter = number;
        } else if (flag == "--bad-reply-at" && numeric) {
            options.faults.badReplyAt = number;
        } else if (flag == "--short-version" && numeric) {
            options.faults.shortVersion = number;
        } else if (flag == "--delay-ms" && numeric) {
            options.delayMs = number;
        } else {
            error = "bad option " + flag + " " + value;
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
