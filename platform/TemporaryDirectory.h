#pragma once

#include <string>

namespace korvel {

// The directory for the program's passing files: TEMP, else TMPDIR, else /tmp. An empty
// variable counts as unset.
std::string TemporaryDirectory();

}  // namespace korvel
