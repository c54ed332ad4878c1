#include "tools/boardsim/Trace.h"

namespace korvel::sim {

namespace {

std::string Hex(std::uint8_t byte) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", byte);
    return hex;
}

}  // namespace

Trace::Trace(const std::string& path) {
    if (!path.empty()) {
        file_ = std::fopen(path.c_str(), "w");
    }
}

Trace::~Trace() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

void Trace::Add(const std::string& word) {
    line_ += line_.empty() ? word : " " + word;
}

void Trace::Took(std::uint8_t byte) {
    Add(Hex(byte));
}

void Trace::Answered(const std::vector<std::uint8_t>& bytes) {
    Add("->");
    for (const std::uint8_t byte : bytes) {
        Add(Hex(byte));
    }
}

void Trace::Note(const std::string& what) {
    Add("(" + what + ")");
}

void Trace::End() {
    if (file_ != nullptr && !line_.empty()) {
        std::fprintf(file_, "%s\n", line_.c_str());
        std::fflush(file_);
    }
    line_.clear();
}

}  // namespace korvel::sim
