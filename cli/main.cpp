// korvel-cli: the programmer's operations from the command line, for scripts and production
// benches.
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "cli/CliOptions.h"
#include "cli/ProgressLine.h"
#include "image/Crc32.h"
#include "image/Sha256.h"
#include "platform/InputFile.h"
#include "platform/Signals.h"
#include "programmer/Messages.h"
#include "programmer/Programmer.h"
#include "resources/Version.h"

namespace korvel {

namespace {

// Why each port number stands for its device, as `ports` says it.
const char* const kOrigins[] = {"named on the command line", "environment", "found on this machine",
                                "nothing found for it"};

// One run of the command line: the programmer, with what it says on the terminal.
class Session {
  public:
    explicit Session(const CliOptions& options)
        : options_(options),
          programmer_(std::make_unique<KorvelBoard>(options.board), PortNames()),
          progress_(isatty(STDERR_FILENO) == 1),
          portLabel_(options.portDevice.empty() ? "COM" + std::to_string(options.port)
                                                : options.portDevice) {
        if (!options.portDevice.empty()) {
            programmer_.NamePort(options.port, options.portDevice);
        }
        programmer_.SelectChip(options.chipRow);
    }

    bool Run() {
        // A destination that cannot be written is found before any chip work, not after it.
        bool ok = (options_.in.empty() || Load()) && (options_.out.empty() || MaySave());
        const auto& operations = options_.operations;
        const bool needsBoard = std::any_of(operations.begin(), operations.end(),
                                            [](const CliOperation* o) { return NeedsBoard(*o); });
        if (ok && needsBoard && operations.front()->work != CliWork::Detect) {
            Detect();
        }
        for (const CliOperation* operation : operations) {
            ok = ok && RunOperation(*operation);
        }
        return ok && (options_.out.empty() || Save());
    }

  private:
    // A message as one line on standard output, "Title: text".
    void Print(const Message& message, const char* answer = "") {
        progress_.Break();
        std::string text = message.text;
        std::replace(text.begin(), text.end(), '\n', ' ');
        std::printf("%s: %s%s\n", message.title.c_str(), text.c_str(), answer);
    }
    void Print(const std::optional<Message>& message) {
        if (message) {
            Print(*message);
        }
    }

    bool RunOperation(const CliOperation& operation) {
        switch (operation.work) {
            case CliWork::Detect:
                return Detect();
            case CliWork::Chip:
                return RunChip(operation);
            case CliWork::List:
                return List();
            case CliWork::Ports:
                ListPorts();
                return true;
            case CliWork::Sum:
            default:
                PrintSums();
                return true;
        }
    }

    bool Detect() {
        const Detection detection = programmer_.Detect(options_.port);
        for (const std::string& note : DetectionNotes(detection)) {
            std::fprintf(stderr, "korvel-cli: %s\n", note.c_str());
        }
        hardwareLine_ = HardwareLine(detection);
        std::printf("%s: %s\n", portLabel_.c_str(), Printable(hardwareLine_).c_str());
        return programmer_.BoardFound();
    }

    bool RunChip(const CliOperation& operation) {
        if (!programmer_.BoardFound()) {
            std::printf("%s: %s\n", operation.word, Printable(hardwareLine_).c_str());
            return false;
        }
        const ChipOperation chip = *operation.chip;
        const ChipOutcome outcome =
            programmer_.Run(chip, [this, chip](std::int32_t done, std::int32_t total) {
                progress_.Show(ProgressText(chip, done, total), done * 100 / total);
            });
        Print(OutcomeMessage(outcome));
        progress_.Show(kReadyText);
        return outcome.Succeeded();
    }

    bool Load() {
        const LoadOutcome outcome = programmer_.LoadImage(options_.in, FormatOf(options_.in));
        if (outcome.result == LoadResult::CantOpen) {
            std::printf("Error: can't open %s\n", options_.in.c_str());
            return false;
        }
        Print(LoadMessage(outcome, programmer_.Chip().size));
        return outcome.result == LoadResult::Loaded;
    }

    bool MaySave() {
        const SaveOutcome outcome = CheckSaveDestination(options_.out);
        Print(SaveMessage(outcome));
        return outcome.result == SaveResult::Saved;
    }

    // The user named the file: the question is asked and answered yes, for the log to show.
    bool Save() {
        if (ExistsForReading(options_.out)) {
            Print(OverwriteQuestion(), " yes");
        }
        const SaveOutcome outcome = programmer_.SaveImage(options_.out, FormatOf(options_.out));
        Print(SaveMessage(outcome));
        return outcome.result == SaveResult::Saved;
    }

    ImageFormat FormatOf(const std::string& path) const {
        return options_.format.value_or(ImageFormatOfPath(path));
    }

    bool List() {
        const ListingOutcome listing =
            programmer_.WriteListing([this] { progress_.Show("Dumping..."); });
        if (!listing.written) {
            Print(ListingFailedMessage(listing.reason));
        }
        progress_.Show(kReadyText);
        if (listing.written) {
            std::printf("%s\n", listing.path.c_str());
        }
        return listing.written;
    }

    // The sums of the image as the chip holds it, to compare with those of a known dump.
    void PrintSums() {
        const auto size = static_cast<std::size_t>(programmer_.Chip().size);
        const std::uint8_t* image = programmer_.Image().data();
        std::printf("CRC-32: %s\nSHA-256: %s\n", Crc32Hex(image, size).c_str(),
                    Sha256Hex(image, size).c_str());
    }

    void ListPorts() {
        const std::vector<PortAssignment> ports = programmer_.Ports().Assignments();
        for (std::size_t i = 0; i < ports.size(); ++i) {
            const PortAssignment& port = ports[i];
            const std::string why = kOrigins[static_cast<int>(port.origin)] +
                                    (port.detail.empty() ? "" : ": " + port.detail);
            std::printf("COM%zu: %s (%s)\n", i + 1,
                        port.device.empty() ? "none" : Printable(port.device).c_str(),
                        Printable(why).c_str());
        }
    }

    const CliOptions& options_;
    Programmer programmer_;
    ProgressLine progress_;
    std::string portLabel_;     // how the port is named in what is printed
    std::string hardwareLine_;  // what the last detection found
};

}  // namespace

}  // namespace korvel

int main(int argc, char** argv) {
    using namespace korvel;
    // Each line whole and at once, so that a log keeps the order of what happened.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    CliOptions options;
    std::string error;
    const CommandLineRequest request = ParseCliOptions(argc, argv, options, error);
    if (request != CommandLineRequest::Run) {
        return AnswerCommandLine(request, "korvel-cli", CliUsage().c_str(), KORVEL_VERSION, error);
    }
    InstallSignalHandling();
    Session session(options);
    return session.Run() ? 0 : 1;
}
