#include "platform/CommandLine.h"

#include <cstdio>

namespace korvel {

namespace {

// The long options whose names begin with what was written after "--".
std::string OptionsStartingWith(const std::string& written, const option* longOptions) {
    std::string names;
    for (const option* known = longOptions; known->name != nullptr; ++known) {
        if (std::string(known->name).rfind(written, 0) == 0) {
            names += (names.empty() ? "--" : ", --") + std::string(known->name);
        }
    }
    return names;
}

// getopt keeps no word of its own for what went wrong: name the option as it was written.
// `moved` tells whether getopt is done with the word (a short option inside a cluster leaves
// it in place).
std::string Mistake(int key, char** argv, bool moved, const option* longOptions) {
    const std::string word = moved ? argv[optind - 1] : "";
    if (word.rfind("--", 0) == 0) {
        const std::string name = word.substr(0, word.find('='));
        if (key == ':') {
            return "option '" + name + "' needs a value";
        }
        if (optopt != 0) {
            return "option '" + name + "' takes no value";
        }
        const std::string candidates = OptionsStartingWith(name.substr(2), longOptions);
        return candidates.find(',') != std::string::npos
                   ? "ambiguous option '" + name + "': " + candidates
                   : "unknown option '" + word + "'";
    }
    const std::string shortName = std::string("-") + static_cast<char>(optopt);
    return key == ':' ? "option '" + shortName + "' needs a value"
                      : "unknown option '" + shortName + "'";
}

}  // namespace

CommandLineRequest ReadCommandLine(int argc, char** argv, const char* shortOptions,
                                   const option* longOptions, const OptionTaker& take,
                                   std::vector<std::string>& operands, std::string& error) {
    // A leading ':' makes a missing value ':' rather than '?'; optind 0 starts getopt afresh.
    const std::string optionString = std::string(":") + shortOptions;
    opterr = 0;
    optind = 0;
    CommandLineRequest request = CommandLineRequest::Run;
    for (;;) {
        const int before = optind > 0 ? optind : 1;
        const int key = getopt_long(argc, argv, optionString.c_str(), longOptions, nullptr);
        if (key == -1) {
            break;
        }
        if (key == '?' || key == ':') {
            error = Mistake(key, argv, optind > before, longOptions);
            return CommandLineRequest::Mistake;
        }
        if ((key == 'h' || key == 'V') && request == CommandLineRequest::Run) {
            request = key == 'h' ? CommandLineRequest::Help : CommandLineRequest::Version;
        } else if (key != 'h' && key != 'V' && !take(key, optarg, error)) {
            return CommandLineRequest::Mistake;
        }
    }
    operands.assign(argv + optind, argv + argc);
    return request;
}

int AnswerCommandLine(CommandLineRequest request, const char* program, const char* usage,
                      const char* version, const std::string& error) {
    switch (request) {
        case CommandLineRequest::Help:
            std::fputs(usage, stdout);
            return 0;
        case CommandLineRequest::Version:
            std::printf("%s (Korvel) %s\n", program, version);
            return 0;
        default:
            std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program,
                         error.c_str(), program);
            return 2;
    }
}

}  // namespace korvel
