#pragma once

namespace korvel {

enum class Parity { None, Even, Odd };

// How a serial line runs: what a board needs of it, given to the port that opens it.
struct LineSettings {
    int baud;
    int dataBits;  // 5 to 8
    Parity parity;
    int stopBits;  // 1 or 2
};

}  // namespace korvel
