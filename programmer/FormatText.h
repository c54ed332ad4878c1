#pragma once

#include <string>

namespace korvel {

// printf-style formatting into a string, for the program's fixed texts.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace korvel
