#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dialog/KorvelDlg.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/SimulatorProcess.h"

// The dialog started as the window starts it, with the board simulator on COM2.
struct BoardSession {
    explicit BoardSession(const std::vector<std::string>& options);

    // Chooses a type in the device list as the user would.
    void SelectDevice(const char* name);
    // The exchanges of the operations, without the version request of the detection.
    std::vector<std::string> StopAndTrace();

    SimulatorProcess sim;
    RecordingHost host;
    CKorvelDlg dlg{host};
};

// A chip image that differs from one address to the next and from one block to the next.
std::vector<std::uint8_t> PatternImage(std::size_t size, unsigned seed = 1);
