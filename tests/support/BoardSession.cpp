#include "tests/support/BoardSession.h"

BoardSession::BoardSession(const std::vector<std::string>& options) : sim(options) {
    sim.ServeAsPort(2);
    dlg.OnInitDialog();
}

void BoardSession::SelectDevice(const char* name) {
    dlg.m_DeviceCombo.SelectedByUser(FindDevice(name));
    dlg.OnSelchangeDeviceCombo();
}

std::vector<std::string> BoardSession::StopAndTrace() {
    sim.Stop();
    std::vector<std::string> trace = sim.Trace();
    if (!trace.empty() && trace.front().rfind("46", 0) == 0) {
        trace.erase(trace.begin());
    }
    return trace;
}

std::vector<std::uint8_t> PatternImage(std::size_t size, unsigned seed) {
    std::vector<std::uint8_t> bytes(size);
    unsigned state = seed * 2654435761u + 12345u;
    for (std::uint8_t& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(state >> 16);
    }
    return bytes;
}
