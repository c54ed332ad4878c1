#pragma once

#include <getopt.h>

#include <functional>
#include <string>
#include <vector>

namespace korvel {

// Takes one option: its getopt key and its value (nullptr when it has none); false with the
// reason in `error` when the value is not acceptable.
using OptionTaker = std::function<bool(int key, const char* value, std::string& error)>;

// Reads a command line the GNU way with getopt_long: options anywhere, "--opt value" and
// "--opt=value", unambiguous abbreviations, "--" ending the options. The words that are not
// options go to `operands`, in order. False with the reason in `error` on a mistake; getopt
// itself prints nothing.
bool ReadCommandLine(int argc, char** argv, const char* shortOptions, const option* longOptions,
                     const OptionTaker& take, std::vector<std::string>& operands,
                     std::string& error);

}  // namespace korvel
