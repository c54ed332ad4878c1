#pragma once

#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

namespace korvel::sim {

// A board gone wrong in every way at random, from a seed, so that a test can show the host
// survives whatever comes down the line. Most answers stay right.
class Chaos {
  public:
    explicit Chaos(long seed) : random_(static_cast<std::mt19937::result_type>(seed)) {}

    struct Answer {
        std::vector<std::uint8_t> bytes;  // what goes back, if anything
        std::chrono::milliseconds delay{0};
        bool goAway = false;  // the board disappears from the line instead
    };
    Answer Spoil(std::vector<std::uint8_t> reply);

  private:
    std::mt19937 random_;
};

}  // namespace korvel::sim
