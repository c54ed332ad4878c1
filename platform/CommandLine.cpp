#include "platform/CommandLine.h"

namespace korvel {

namespace {

// getopt keeps no word of its own for what went wrong: name the option as it was written.
// `moved` tells whether getopt is done with the word (a short option inside a cluster leaves
// it in place).
std::string Mistake(int key, char** argv, bool moved) {
    const std::string word = moved ? argv[optind - 1] : "";
    if (word.rfind("--", 0) == 0) {
        const std::string name = word.substr(0, word.find('='));
        if (key == ':') {
            return "option '" + name + "' needs a value";
        }
        return optopt != 0 ? "option '" + name + "' takes no value"
                           : "unknown option '" + word + "'";
    }
    const std::string shortName = std::string("-") + static_cast<char>(optopt);
    return key == ':' ? "option '" + shortName + "' needs a value"
                      : "unknown option '" + shortName + "'";
}

}  // namespace

bool ReadCommandLine(int argc, char** argv, const char* shortOptions, const option* longOptions,
                     const OptionTaker& take, std::vector<std::string>& operands,
                     std::string& error) {
    // A leading ':' makes a missing value ':' rather than '?'; optind 0 starts getopt afresh.
    const std::string optionString = std::string(":") + shortOptions;
    opterr = 0;
    optind = 0;
    for (;;) {
        const int before = optind > 0 ? optind : 1;
        const int key = getopt_long(argc, argv, optionString.c_str(), longOptions, nullptr);
        if (key == -1) {
            break;
        }
        if (key == '?' || key == ':') {
            error = Mistake(key, argv, optind > before);
            return false;
        }
        if (!take(key, optarg, error)) {
            return false;
        }
    }
    operands.assign(argv + optind, argv + argc);
    return true;
}

}  // namespace korvel
