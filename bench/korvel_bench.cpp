// korvel-bench: how close Read, Verify and Write come to the 9600-baud line's own time.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "programmer/Messages.h"
#include "programmer/Programmer.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {
namespace {

// Bytes on the line per address: command, address bytes and reply; a write adds its data.
constexpr double kByteSeconds = 10.0 / 9600.0;

void Measure(const char* label, Programmer& programmer, ChipOperation operation,
             int lineBytesPerAddress) {
    const auto start = std::chrono::steady_clock::now();
    const ChipOutcome outcome = programmer.Run(operation);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::int32_t size = programmer.Chip().size;
    const double lineSeconds = size * lineBytesPerAddress * kByteSeconds;
    std::printf("  %-7s %8.3f s  %8.3f ms/address  line %7.2f s  ratio %.3f\n", label, seconds,
                1000.0 * seconds / size, lineSeconds, seconds / lineSeconds);
    if (const std::optional<Message> message = OutcomeMessage(outcome)) {
        std::printf("  %s: %s\n", message->title.c_str(), message->text.c_str());
    }
}

// Runs the operations against a simulated board: instant, or paced at 9600 baud behind an
// adapter whose latency timer is `latencyMs` (0: none).
void Run(const char* chip, bool paced, int latencyMs = 0, bool all = true) {
    std::vector<std::string> options = {"--chip", chip};
    if (paced) {
        options.push_back("--pace");
    }
    if (latencyMs > 0) {
        options.insert(options.end(), {"--latency-ms", std::to_string(latencyMs)});
    }
    SimulatorProcess sim(options);
    if (!sim.Started()) {
        std::printf("%s: the board simulator did not start\n", chip);
        return;
    }
    Programmer programmer;
    programmer.NamePort(2, sim.Link());
    programmer.SelectChip(FindChipType(chip));
    const Detection detection = programmer.Detect(2);
    std::printf("%s, %s board, adapter latency %d ms (%s)\n", chip, paced ? "9600-baud" : "instant",
                latencyMs, HardwareLine(detection).c_str());
    const int addressBytes = programmer.Chip().addressBytes;
    Measure("Read", programmer, ChipOperation::Read, 2 + addressBytes);
    if (all) {
        Measure("Verify", programmer, ChipOperation::Verify, 2 + addressBytes);
        Measure("Write", programmer, ChipOperation::Write, 3 + addressBytes);
    }
}

}  // namespace
}  // namespace korvel

int main() {
    using namespace korvel;
    Run("24C256", false);
    Run("24C32", true);
    // What a USB adapter's latency timer costs: none, the 1 ms that low latency gives, and the
    // 16 ms an FTDI chip waits by default.
    for (const int latencyMs : {1, 16}) {
        Run("24C32", true, latencyMs, false);
    }
    return 0;
}
