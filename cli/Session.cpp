#include "cli/Session.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "cli/Batch.h"
#include "image/Crc32.h"
#include "image/Sha256.h"
#include "platform/InputFile.h"

namespace korvel {

namespace {

// Why each port number stands for its device, as `ports` says it.
const char* const kOrigins[] = {"named on the command line", "environment", "found on this machine",
                                "nothing found for it"};

}  // namespace

Session::Session(const CliOptions& options)
    : options_(options),
      programmer_(std::make_unique<KorvelBoard>(options.board), PortNames()),
      progress_(isatty(STDERR_FILENO) == 1),
      portLabel_(options.portDevice.empty() ? "COM" + std::to_string(options.port)
                                            : options.portDevice) {
    if (!options.portDevice.empty()) {
        programmer_.NamePort(options.port, options.portDevice);
    }
    programmer_.SelectChip(options.chipRow);
    programmer_.SelectChipAddress(options.chipAddress);
    if (options.start || options.length) {
        programmer_.SelectRange(CliRange(options, programmer_.Chip().size));
    }
}

bool Session::Run() {
    // A destination that cannot be written is found before any chip work, not after it.
    bool ok = (options_.in.empty() || Load()) && (options_.out.empty() || MaySave());
    const auto& operations = options_.operations;
    const bool needsBoard = std::any_of(operations.begin(), operations.end(),
                                        [](const CliOperation* o) { return NeedsBoard(*o); });
    if (ok && needsBoard && operations.front()->work != CliWork::Detect) {
        Detect();
    }
    const CliBatch& batch = options_.batch;
    if (ok && (batch.repeat || batch.serialAt >= 0)) {
        Batch run(batch, [this](const std::vector<std::uint8_t>& serial) {
            if (!serial.empty()) {
                programmer_.EditImage(static_cast<std::size_t>(options_.batch.serialAt), serial);
            }
            return RunOperations();
        });
        ok = run.Run([this](const std::string& line) { PrintLine(line); },
                     [this] {
                         progress_.Break();
                         return AskForNextChip();
                     });
    } else {
        ok = ok && RunOperations();
    }
    return ok && (options_.out.empty() || Save());
}

bool Session::RunOperations() {
    for (const CliOperation* operation : options_.operations) {
        if (!RunOperation(*operation)) {
            return false;
        }
    }
    return true;
}

bool Session::RunOperation(const CliOperation& operation) {
    if (NeedsBoard(operation) && operation.work != CliWork::Detect && !BoardThere(operation)) {
        return false;
    }
    switch (operation.work) {
        case CliWork::Detect:
            return Detect();
        case CliWork::Chip:
            return options_.changed && operation.chip == ChipOperation::Write ? WriteChanged()
                                                                              : RunChip(operation);
        case CliWork::Compare:
            return Compare();
        case CliWork::Probe:
            return Probe();
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

void Session::Print(const Message& message, const char* answer) {
    std::string text = message.text;
    std::replace(text.begin(), text.end(), '\n', ' ');
    PrintLine(message.title + ": " + text + answer);
}

void Session::Print(const std::optional<Message>& message) {
    if (message) {
        Print(*message);
    }
}

void Session::PrintLine(const std::string& line) {
    progress_.Break();
    std::printf("%s\n", line.c_str());
}

bool Session::Detect() {
    const Detection detection = programmer_.Detect(options_.port);
    for (const std::string& note : DetectionNotes(detection)) {
        std::fprintf(stderr, "korvel-cli: %s\n", note.c_str());
    }
    hardwareLine_ = HardwareLine(detection);
    std::printf("%s: %s\n", portLabel_.c_str(), Printable(hardwareLine_).c_str());
    return programmer_.BoardFound();
}

bool Session::BoardThere(const CliOperation& operation) {
    if (!programmer_.BoardFound()) {
        std::printf("%s: %s\n", operation.word, Printable(hardwareLine_).c_str());
    }
    return programmer_.BoardFound();
}

Progress Session::ProgressOf(ChipOperation operation) {
    return [this, operation](std::int32_t done, std::int32_t total) {
        progress_.Show(ProgressText(operation, done, total), done * 100 / total);
    };
}

bool Session::RunChip(const CliOperation& operation) {
    const ChipOperation chip = *operation.chip;
    const ChipOutcome outcome = programmer_.Run(chip, ProgressOf(chip));
    Print(OutcomeMessage(outcome));
    progress_.Show(kReadyText);
    return outcome.Succeeded();
}

bool Session::Load() {
    const LoadOutcome outcome = programmer_.LoadImage(options_.in, FormatOf(options_.in));
    if (outcome.result == LoadResult::CantOpen) {
        std::printf("Error: can't open %s\n", options_.in.c_str());
        return false;
    }
    Print(LoadMessage(outcome, programmer_.Chip().size));
    return outcome.result == LoadResult::Loaded;
}

bool Session::MaySave() {
    const SaveOutcome outcome = CheckSaveDestination(options_.out);
    Print(SaveMessage(outcome));
    return outcome.result == SaveResult::Saved;
}

// The user named the file: the question is asked and answered yes, for the log to show.
bool Session::Save() {
    if (ExistsForReading(options_.out)) {
        Print(OverwriteQuestion(), " yes");
    }
    const SaveOutcome outcome = programmer_.SaveImage(options_.out, FormatOf(options_.out));
    Print(SaveMessage(outcome));
    return outcome.result == SaveResult::Saved;
}

ImageFormat Session::FormatOf(const std::string& path) const {
    return options_.format.value_or(ImageFormatOfPath(path));
}

bool Session::List() {
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
void Session::PrintSums() {
    const auto size = static_cast<std::size_t>(programmer_.Chip().size);
    const std::uint8_t* image = programmer_.Image().data();
    std::printf("CRC-32: %s\nSHA-256: %s\n", Crc32Hex(image, size).c_str(),
                Sha256Hex(image, size).c_str());
}

void Session::ListPorts() {
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

}  // namespace korvel
