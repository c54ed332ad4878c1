#pragma once

#include <string>
#include <vector>

struct ProgramResult {
    int status = -1;  // exit status, -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs a program of this project to its end, with its output captured.
ProgramResult RunProgram(const std::string& path, const std::vector<std::string>& args);
