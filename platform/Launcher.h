#pragma once

#include <string>

namespace korvel {

// Starts program (looked up in PATH when it has no slash) with one argument, as a process of
// its own that outlives the caller. Returns at once, never waits for it, and leaves no zombie;
// whether it could be started is not known to the caller.
void StartDetached(const std::string& program, const std::string& argument);

}  // namespace korvel
