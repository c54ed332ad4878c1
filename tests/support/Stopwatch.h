#pragma once

#include <chrono>

namespace korvel {

// Milliseconds since construction; timing checks stay loose, the machines are shared.
class Stopwatch {
  public:
    long Ms() const {
        return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now() - start_)
                                     .count());
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace korvel
