#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialog/KorvelDlg.h"
#include "tests/support/ScriptedUser.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {

// The board simulator's options for a chip type, followed by more.
inline std::vector<std::string> ChipOptions(const char* chip, std::vector<std::string> more = {}) {
    more.insert(more.begin(), {"--chip", chip});
    return more;
}

// The trace of a simulator without the version request of the detection before it.
inline std::vector<std::string> TraceAfterDetection(SimulatorProcess& sim) {
    sim.Stop();
    std::vector<std::string> trace = sim.Trace();
    if (!trace.empty() && trace.front().rfind("46", 0) == 0) {
        trace.erase(trace.begin());
    }
    return trace;
}

// The programmer with the board simulator on COM2 found, and the chip's type selected.
struct ProgrammerSession {
    explicit ProgrammerSession(const char* chip, const std::vector<std::string>& more = {})
        : sim(ChipOptions(chip, more)) {
        programmer.SelectChip(FindChipType(chip));
        detection = programmer.Detect(2);
    }
    std::vector<std::string> StopAndTrace() { return TraceAfterDetection(sim); }

    SimulatorProcess sim;
    Programmer programmer;
    Detection detection;
};

// The dialog started as the window starts it, with the board simulator on COM2, and the chip's
// type chosen in the device list as the user would.
struct BoardSession {
    explicit BoardSession(const char* chip, const std::vector<std::string>& more = {})
        : sim(ChipOptions(chip, more)) {
        dlg.OnInitDialog();
        dlg.OnSelchangeDeviceCombo(FindChipType(chip));
    }
    std::vector<std::string> StopAndTrace() { return TraceAfterDetection(sim); }

    SimulatorProcess sim;
    ScriptedUser user;
    CKorvelDlg dlg{user};
};

// A chip image that differs from one address to the next and from one block to the next.
inline std::vector<std::uint8_t> PatternImage(std::size_t size, unsigned seed = 1) {
    std::vector<std::uint8_t> bytes(size);
    unsigned state = seed * 2654435761u + 12345u;
    for (std::uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return bytes;
}

}  // namespace korvel
