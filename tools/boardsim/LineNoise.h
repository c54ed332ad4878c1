#pragma once

#include <cstdint>
#include <random>

namespace korvel::sim {

// Damage on a fast line: one random bit of about every n-th byte flipped, from a seed, so that
// a test can show the host catches every damaged byte.
class LineNoise {
  public:
    LineNoise(long every, long seed)
        : every_(every), random_(static_cast<std::mt19937::result_type>(seed)) {}

    std::uint8_t Pass(std::uint8_t byte) {
        if (every_ <= 0 || std::uniform_int_distribution<long>(1, every_)(random_) != 1) {
            return byte;
        }
        return static_cast<std::uint8_t>(byte ^
                                         1u << std::uniform_int_distribution<int>(0, 7)(random_));
    }

  private:
    long every_;
    std::mt19937 random_;
};

}  // namespace korvel::sim
