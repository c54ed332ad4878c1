#pragma once

#include <cstdint>
#include <string>

namespace korvel {

// printf-style formatting into a string, for the dialog's fixed texts.
std::string FormatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The size line for an image of so many bytes, and the file line for a file name.
std::string SizeText(std::int32_t bytes);
std::string FileLineText(const std::string& fileName);

// The file name of an image that belongs to no file, and the action line after every operation.
constexpr const char kNoFileName[] = "[buffer]";
constexpr const char kReadyText[] = "Ready.";

}  // namespace korvel
