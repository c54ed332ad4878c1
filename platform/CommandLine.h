#pragma once

#include <getopt.h>

#include <functional>
#include <string>
#include <vector>

namespace korvel {

// What a command line asks for.
enum class CommandLineRequest { Run, Help, Version, Mistake };

// Takes one option: its getopt key and its value (nullptr when it has none); false with the
// reason in `error` when the value is not acceptable.
using OptionTaker = std::function<bool(int key, const char* value, std::string& error)>;

// Reads a command line the GNU way with getopt_long: options anywhere, "--opt value" and
// "--opt=value", unambiguous abbreviations, "--" ending the options. The words that are not
// options go to `operands`, in order. -h (--help) and -V (--version), which the option tables
// must hold, ask for the usage or the version whatever else is there; `take` gets every other
// option. A mistake comes back with the reason in `error`; getopt itself prints nothing.
CommandLineRequest ReadCommandLine(int argc, char** argv, const char* shortOptions,
                                   const option* longOptions, const OptionTaker& take,
                                   std::vector<std::string>& operands, std::string& error);

// Answers a request for the usage, the version or a mistake as GNU programs do: the usage, or
// "program (Korvel) version", on standard output; "program: error" and where to find help on
// standard error. Returns the program's exit status: 0, or 2 for a mistake.
int AnswerCommandLine(CommandLineRequest request, const char* program, const char* usage,
                      const char* version, const std::string& error);

}  // namespace korvel
