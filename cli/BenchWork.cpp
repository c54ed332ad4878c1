// The bench's operations of a session: compare, write of the changed bytes, size probe.
#include "cli/Session.h"
#include "programmer/BenchMessages.h"

namespace korvel {

namespace {

// Differences listed before "... and N more": a screenful.
constexpr std::size_t kDifferencesShown = 20;

}  // namespace

bool Session::Compare() {
    const CompareOutcome outcome = programmer_.Compare(ProgressOf(ChipOperation::Verify));
    if (!outcome.read.Succeeded()) {
        Print(OutcomeMessage(outcome.read));
        progress_.Show(kReadyText);
        return false;
    }
    const std::vector<Difference>& differences = outcome.differences;
    for (std::size_t i = 0; i < differences.size() && i < kDifferencesShown; ++i) {
        PrintLine(DifferenceLine(differences[i]));
    }
    if (differences.size() > kDifferencesShown) {
        PrintLine("... and " + std::to_string(differences.size() - kDifferencesShown) + " more");
    }
    PrintLine(DifferenceCount(differences.size()));
    progress_.Show(kReadyText);
    return differences.empty();
}

bool Session::WriteChanged() {
    const ChangedWriteOutcome outcome =
        programmer_.WriteChanged(ProgressOf(ChipOperation::Read), ProgressOf(ChipOperation::Write));
    Print(outcome.outcome.Succeeded() ? ChangedWriteMessage(outcome)
                                      : OutcomeMessage(outcome.outcome));
    progress_.Show(kReadyText);
    return outcome.outcome.Succeeded();
}

bool Session::Probe() {
    const ProbeOutcome outcome = programmer_.ProbeSize(ProgressOf(ChipOperation::Read));
    Print(outcome.read.Succeeded() ? SizeMessage(outcome.finding) : OutcomeMessage(outcome.read));
    progress_.Show(kReadyText);
    return outcome.read.Succeeded() && outcome.finding.verdict == SizeVerdict::Known;
}

}  // namespace korvel
