#include "cli/CliOptions.h"

#include <algorithm>

#include "dialog/DeviceCatalog.h"

const char* const kCliUsage =
    "usage: korvel-cli [--port N] [--device TYPE] [--in FILE] [--out FILE] OPERATION...\n"
    "Runs the operations in the order given on one open port, after detecting the board.\n"
    "  --port N       COM1 to COM4 (default 2); KORVEL_COMn names the device for COMn\n"
    "  --device TYPE  24C00, 24C01, 24C02, 24C04, 24C08, 24C16, 24C32, 24C64, 24C128,\n"
    "                 24C256 (default 24C02)\n"
    "  --in FILE      load this image before the operations\n"
    "  --out FILE     save the image (device size bytes) after them\n"
    "operations: detect, read, verify, blank, erase, write, and list, which writes the\n"
    "            buffer listing and prints its path\n"
    "Exit status 0 when every operation succeeded, 1 when one failed, 2 on a usage error.\n";

namespace {

const char* const kOperations[] = {"detect", "read", "verify", "blank", "erase", "write", "list"};

}  // namespace

bool ParseCliOptions(int argc, char** argv, CliOptions& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool takesValue =
            word == "--port" || word == "--device" || word == "--in" || word == "--out";
        if (takesValue && i + 1 >= argc) {
            error = word + " needs a value";
            return false;
        }
        if (word == "--port") {
            const std::string value = argv[++i];
            if (value.size() != 1 || value[0] < '1' || value[0] > '4') {
                error = "--port takes 1, 2, 3 or 4";
                return false;
            }
            options.port = value[0] - '0';
        } else if (word == "--device") {
            options.device = argv[++i];
            if (FindDevice(options.device.c_str()) < 0) {
                error = "unknown device " + options.device;
                return false;
            }
        } else if (word == "--in") {
            options.in = argv[++i];
        } else if (word == "--out") {
            options.out = argv[++i];
        } else if (std::find(std::begin(kOperations), std::end(kOperations), word) !=
                   std::end(kOperations)) {
            options.operations.push_back(word);
        } else {
            error = "unknown operation or option " + word;
            return false;
        }
    }
    if (options.operations.empty() && options.in.empty() && options.out.empty()) {
        error = "nothing to do";
        return false;
    }
    return true;
}
