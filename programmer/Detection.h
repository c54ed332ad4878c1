#pragma once

#include <string>

namespace korvel {

enum class DetectionResult {
    Found,     // the board gave its whole version answer
    NotFound,  // the port opened, but no board answered in full
    CantOpen,  // the port could not be opened or set up
};

// What detection found on a port.
struct Detection {
    DetectionResult result = DetectionResult::CantOpen;
    std::string label;    // how the user knows the port: "COM2", or the path named for it
    std::string device;   // the device behind the port; empty when none stands for it
    std::string version;  // Found: the board's answer, as it sent it
    std::string problem;  // CantOpen: why, for the user's terminal
    std::string notice;   // a note on how the port was opened (a claim taken over), or empty
    std::string advice;   // a note on the adapter's speed for the user, or empty
};

}  // namespace korvel
