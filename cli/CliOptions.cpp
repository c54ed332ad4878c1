#include "cli/CliOptions.h"

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
    "  -h, --help          show this help and exit\n"
    "  -V, --version       show the version and exit\n"
    "\n"
    "KORVEL_COM1 ... KORVEL_COM4 name the device for a port number; without them the\n"
    "machine's serial ports fill COM1 to COM4 (see 'korvel-cli ports').\n"
    "Exit status: 0 when every operation succeeded, 1 when one failed (the run stops\n"
    "there), 2 on a mistake in the command line.\n";

enum Key : int { kOriginalProtocol = 256, kSlowBus };

const option kLongOptions[] = {
    {"port", required_argument, nullptr, 'p'},
    {"device", required_argument, nullptr, 'd'},
    {"in", required_argument, nullptr, 'i'},
    {"out", required_argument, nullptr, 'o'},
    {"format", required_argument, nullptr, 'f'},
    {"original-protocol", no_argument, nullptr, kOriginalProtocol},
    {"slow-bus", no_argument, nullptr, kSlowBus},
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

}  // namespace

CommandLineRequest ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error) {
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
            default:  // 'f'
                why = std::string("--format takes raw, ihex or srec, not '") + value + "'";
                options.format = ImageFormat::Raw;
                return ImageFormatByName(value, *options.format);
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
    return CommandLineRequest::Run;
}

std::string CliUsage() {
    std::string usage = kUsageStart;
    for (const CliOperation& operation : kCliOperations) {
        usage += FormatText("  %-9s%s\n", operation.word, operation.help);
    }
    return usage + kUsageEnd;
}

}  // namespace korvel
