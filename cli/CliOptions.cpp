#include "cli/CliOptions.h"

#include <cerrno>
#include <cstdlib>

#include "cli/CliChecks.h"
#include "platform/CommandLine.h"
#include "programmer/ChipTypes.h"
#include "programmer/FormatText.h"

namespace korvel {

namespace {

constexpr const char* kUsageStart =
    "Usage: korvel-cli [OPTION]... OPERATION...\n"
    "Runs Korvel's operations on a 24Cxx EEPROM in the order given, on one open port, after\n"
    "detecting the programmer board there.\n"
    "\n"
    "Operations:\n";
constexpr const char* kUsageEnd =
    "\n"
    "Options:\n"
    "  -p, --port=PORT     1 to 4 for COM1 to COM4 (default 2), or a device path with a\n"
    "                      slash, such as /dev/ttyUSB0\n"
    "  -d, --device=TYPE   the chip: 24C00, 24C01, 24C02, 24C04, 24C08, 24C16, 24C32,\n"
    "                      24C64, 24C128 or 24C256 (default 24C02)\n"
    "  -i, --in=FILE       load this image before the operations\n"
    "  -o, --out=FILE      save the image (the chip's size) after them, replacing the file\n"
    "  -f, --format=FORMAT the files' format: raw, ihex (Intel HEX) or srec (S-records);\n"
    "                      by default .hex, .ihex and .eep are Intel HEX, .srec, .s19 and\n"
    "                      .mot S-records, anything else raw\n"
    "      --original-protocol\n"
    "                      speak only the five commands of the original board, even to\n"
    "                      Korvel's open board (as KORVEL_PROTOCOL=original does)\n"
    "      --slow-bus      the chip's bus at 100 kHz on the open board's fast link, for\n"
    "                      old 24C01 and 24C02 parts (as KORVEL_BUS_KHZ=100 does)\n"
    "\n"
    "For repair and production benches (numbers decimal, or hex after 0x):\n"
    "      --start=ADDR    the chip operations begin at this address (default 0)\n"
    "      --length=N      and cover N addresses (default: to the chip's end); the image\n"
    "                      stays a whole chip's: a ranged read changes only those bytes of\n"
    "                      it, and --out saves the chip's size, the rest as the image held\n"
    "                      it (0xFF, or what --in loaded)\n"
    "      --chip-address=N  the chip's pins A2-A0, 0 to 7, where its type has them\n"
    "                      (24C01, 24C02, 24C32 and up: all three; 24C04: A2-A1, so 0, 2,\n"
    "                      4, 6; 24C08: A2, so 0 or 4; 24C00 and 24C16: none)\n"
    "      --changed       write reads the chip first and writes only the bytes that\n"
    "                      differ (on the open board's fast link the pages that hold them),\n"
    "                      and says how many\n"
    "      --repeat[=N]    run the operations for one chip after the other, asking on the\n"
    "                      terminal before each next one (Enter: go on, q: stop), N chips\n"
    "                      at most; at the end the count of chips done and failed\n"
    "      --yes           take each next chip at once, without asking: for scripts, with\n"
    "                      --repeat=N (without a terminal --repeat needs both)\n"
    "      --serial-at=ADDR  write a serial number into the image here before each chip's\n"
    "                      write, and raise it after each chip whose operations all went\n"
    "                      through (a failed chip's number goes to the next chip)\n"
    "      --serial-start=N  the first chip's serial number (default 0)\n"
    "      --serial-bytes=K  its bytes, big-endian, 1 to 8 (default 4); after the largest\n"
    "                      number K bytes hold the batch stops, and never wraps to 0\n"
    "  -h, --help          show this help and exit\n"
    "  -V, --version       show the version and exit\n"
    "\n"
    "KORVEL_COM1 ... KORVEL_COM4 name the device for a port number; without them the\n"
    "machine's serial ports fill COM1 to COM4 (see 'korvel-cli ports').\n"
    "compare lists each difference as 'ADDR: chip XX, image YY' (ADDR in four hex\n"
    "digits), 20 at most, then '... and N more', and ends with 'N bytes differ' or 'chip\n"
    "and image are equal'. probe reads the chip as the largest type of the selected one's\n"
    "family (24C00-24C16, or 24C32-24C256) and says its size only where the wrap of the\n"
    "addresses, or the open board, shows it; else the smallest size that fits and the\n"
    "larger ones that would read the same, or 'unknown' (a chip whose bytes are all the\n"
    "same tells nothing).\n"
    "Exit status: 0 when every operation succeeded, 1 when one failed (the run stops\n"
    "there; compare: the chip and image differ; probe: no size is certain; a batch: a\n"
    "chip failed or the serial numbers ran out), 2 on a mistake in the command line.\n";

enum Key : int {
    kOriginalProtocol = 256,
    kSlowBus,
    kStart,
    kLength,
    kChipAddress,
    kChanged,
    kRepeat,
    kYes,
    kSerialAt,
    kSerialStart,
    kSerialBytes,
};

const option kLongOptions[] = {
    {"port", required_argument, nullptr, 'p'},
    {"device", required_argument, nullptr, 'd'},
    {"in", required_argument, nullptr, 'i'},
    {"out", required_argument, nullptr, 'o'},
    {"format", required_argument, nullptr, 'f'},
    {"original-protocol", no_argument, nullptr, kOriginalProtocol},
    {"slow-bus", no_argument, nullptr, kSlowBus},
    {"start", required_argument, nullptr, kStart},
    {"length", required_argument, nullptr, kLength},
    {"chip-address", required_argument, nullptr, kChipAddress},
    {"changed", no_argument, nullptr, kChanged},
    {"repeat", optional_argument, nullptr, kRepeat},
    {"yes", no_argument, nullptr, kYes},
    {"serial-at", required_argument, nullptr, kSerialAt},
    {"serial-start", required_argument, nullptr, kSerialStart},
    {"serial-bytes", required_argument, nullptr, kSerialBytes},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {nullptr, 0, nullptr, 0},
};

// A port is its number, or a device named by a path: a word with a slash in it.
bool TakePort(const std::string& value, CliOptions& options, std::string& error) {
    if (value.find('/') != std::string::npos) {
        options.portDevice = value;
        return true;
    }
    if (value.size() != 1 || value[0] < '1' || value[0] > '4') {
        error =
            "--port takes 1, 2, 3, 4 or a device path such as /dev/ttyUSB0, not '" + value + "'";
        return false;
    }
    options.port = value[0] - '0';
    options.portDevice.clear();  // the last --port wins
    return true;
}

// An empty name is most likely a variable left unset in a script: never a file to use.
bool TakeFileName(const char* option, const std::string& value, std::string& name,
                  std::string& error) {
    if (value.empty()) {
        error = std::string(option) + " needs a file name, not an empty text";
        return false;
    }
    name = value;
    return true;
}

// A whole number from `low` to `high`, decimal or hex after 0x; a leading zero is no octal.
bool TakeNumber(const char* option, const char* text, std::uint64_t low, std::uint64_t high,
                std::uint64_t& value, std::string& error) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    char* end = nullptr;
    errno = 0;
    const unsigned long long number = std::strtoull(digits, &end, hex ? 16 : 10);
    if (errno != 0 || end == digits || *end != '\0' || digits[0] == '-' || digits[0] == '+' ||
        number < low || number > high) {
        error = std::string(option) + " takes a number from " + std::to_string(low) + " to " +
                std::to_string(high) + " (decimal, or hex after 0x), not '" + text + "'";
        return false;
    }
    value = number;
    return true;
}

template <typename Number>
bool TakeNumber(const char* option, const char* text, std::uint64_t low, std::uint64_t high,
                Number& value, std::string& error) {
    std::uint64_t number = 0;
    if (!TakeNumber(option, text, low, high, number, error)) {
        return false;
    }
    value = static_cast<Number>(number);
    return true;
}

constexpr std::uint64_t kLargestAddress = 32767;

// The options of a bench: the range, the chip address, changed bytes, batches.
bool TakeBenchOption(int key, const char* value, CliOptions& options, std::string& why) {
    CliBatch& batch = options.batch;
    switch (key) {
        case kStart:
            return TakeNumber("--start", value, 0, kLargestAddress, options.start.emplace(), why);
        case kLength:
            return TakeNumber("--length", value, 1, kLargestAddress + 1, options.length.emplace(),
                              why);
        case kChipAddress:
            return TakeNumber("--chip-address", value, 0, 7, options.chipAddress, why);
        case kChanged:
            options.changed = true;
            return true;
        case kRepeat:
            batch.repeat = true;
            batch.count = 0;
            return value == nullptr || TakeNumber("--repeat", value, 1, 1000000, batch.count, why);
        case kYes:
            batch.yes = true;
            return true;
        case kSerialAt:
            return TakeNumber("--serial-at", value, 0, kLargestAddress, batch.serialAt, why);
        case kSerialStart:
            return TakeNumber("--serial-start", value, 0, UINT64_MAX, batch.serialStart, why);
        default:  // kSerialBytes
            return TakeNumber("--serial-bytes", value, 1, 8, batch.serialBytes, why);
    }
}

}  // namespace

ChipRange CliRange(const CliOptions& options, std::int32_t size) {
    const std::int32_t start = options.start.value_or(0);
    return {start, options.length.value_or(size - start)};
}

CommandLineRequest ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error,
                                   bool terminalInput) {
    const auto take = [&](int key, const char* value, std::string& why) {
        switch (key) {
            case 'p':
                return TakePort(value, options, why);
            case 'd':
                options.chipRow = FindChipType(value);
                why = std::string("unknown device '") + value + "'";
                return options.chipRow >= 0;
            case 'i':
                return TakeFileName("--in", value, options.in, why);
            case 'o':
                return TakeFileName("--out", value, options.out, why);
            case kOriginalProtocol:
                options.board.originalProtocol = true;
                return true;
            case kSlowBus:
                options.board.slowBus = true;
                return true;
            case 'f':
                why = std::string("--format takes raw, ihex or srec, not '") + value + "'";
                options.format = ImageFormat::Raw;
                return ImageFormatByName(value, *options.format);
            default:
                return TakeBenchOption(key, value, options, why);
        }
    };
    std::vector<std::string> operands;
    const CommandLineRequest request =
        ReadCommandLine(argc, argv, "p:d:i:o:f:hV", kLongOptions, take, operands, error);
    if (request != CommandLineRequest::Run) {
        return request;
    }
    for (const std::string& word : operands) {
        const CliOperation* operation = FindCliOperation(word);
        if (operation == nullptr) {
            error = "unknown operation '" + word + "'";
            return CommandLineRequest::Mistake;
        }
        options.operations.push_back(operation);
    }
    if (options.operations.empty() && options.in.empty() && options.out.empty()) {
        error = "nothing to do: name an operation";
        return CommandLineRequest::Mistake;
    }
    return CheckCliOptions(options, terminalInput, error) ? CommandLineRequest::Run
                                                          : CommandLineRequest::Mistake;
}

std::string CliUsage() {
    std::string usage = kUsageStart;
    for (const CliOperation& operation : kCliOperations) {
        usage += FormatText("  %-9s%s\n", operation.word, operation.help);
    }
    return usage + kUsageEnd;
}

}  // namespace korvel
