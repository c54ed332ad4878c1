#include "tools/boardsim/Chaos.h"

namespace korvel::sim {

Chaos::Answer Chaos::Spoil(std::vector<std::uint8_t> reply) {
    using std::chrono::milliseconds;
    const auto pick = [this](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    };
    Answer answer{std::move(reply)};
    const int roll = pick(0, 999);
    if (roll < 980) {
        return answer;  // right
    }
    if (roll < 984) {  // wrong
        for (std::uint8_t& byte : answer.bytes) {
            byte = static_cast<std::uint8_t>(~byte);
        }
    } else if (roll < 988) {  // late: within the reply wait, or after it
        answer.delay = milliseconds(pick(0, 1) == 0 ? pick(100, 700) : pick(2100, 3000));
    } else if (roll < 992) {  // too much, in a burst
        for (int extra = pick(1, 40); extra > 0; --extra) {
            answer.bytes.push_back(static_cast<std::uint8_t>(pick(0, 255)));
        }
    } else if (roll < 997) {  // not at all
        answer.bytes.clear();
    } else {
        answer.goAway = true;
    }
    return answer;
}

}  // namespace korvel::sim
