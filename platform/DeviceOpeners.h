#pragma once

#include <string>

namespace korvel {

// Whether anyone else has a device open, as /proc tells it (as fuser finds out).
enum class Openers {
    None,     // nobody but the descriptor asked about
    Some,     // another descriptor, of this or another process
    Unknown,  // /proc cannot tell: it is missing, or a process's descriptors may not be read
};

// Looks through the open descriptors of every process for the character device at `path`,
// leaving out this process's descriptor `own` (-1 for none). An ordinary user may not read
// other users' descriptors, so for anyone but root the answer is hardly ever None.
Openers OtherOpeners(const std::string& path, int own);

}  // namespace korvel
