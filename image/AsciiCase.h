#pragma once

#include <string>

namespace korvel {

// The text with A to Z made a to z and every other byte as it was, whatever the locale.
std::string LowerCaseAscii(std::string text);

}  // namespace korvel
