#pragma once

#include <string>

namespace korvel {

// Starts program (looked up in PATH when it has no slash) with one argument, as a process of
// its own that outlives the caller, holding none of the caller's files. Returns as soon as the
// program runs, never waits for it, and leaves no zombie. False, with `problem` saying why
// ("No such file or directory"), when it could not be started; a program that starts and then
// fails is not seen.
bool StartDetached(const std::string& program, const std::string& argument, std::string& problem);

}  // namespace korvel
