#pragma once

#include <string>

// printf-style formatting into a string, for the dialog's fixed texts.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
