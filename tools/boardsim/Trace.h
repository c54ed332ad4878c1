#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace korvel::sim {

// The log of the line, one line per exchange: the bytes the board took, in hex, then "->" and
// the bytes it answered, as in "52 34 12 -> 5A". A note in parentheses says what else befell
// the exchange or the line ("57 00 00 00 (impossible)", "(idle: 9600 baud)").
class Trace {
  public:
    // No log without a path.
    explicit Trace(const std::string& path);
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    void Took(std::uint8_t byte);
    void Answered(const std::vector<std::uint8_t>& bytes);
    void Note(const std::string& what);
    // The exchange is over: its line goes out.
    void End();

  private:
    void Add(const std::string& word);

    std::FILE* file_ = nullptr;
    std::string line_;
};

}  // namespace korvel::sim
