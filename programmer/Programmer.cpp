#include "programmer/Programmer.h"

#include <algorithm>
#include <ctime>

#include "boards/KorvelBoard.h"
#include "image/AsciiCase.h"
#include "platform/AtomicFileWriter.h"
#include "platform/LowLatency.h"
#include "platform/TemporaryDirectory.h"
#include "programmer/ListingText.h"
#include "programmer/Messages.h"

namespace korvel {

namespace {

constexpr int kDefaultChipRow = 2;  // 24C02
constexpr const char* kListingName = "BUFFER.TXT";

std::string ListingPath(const std::string& directory) {
    const bool endsInSlash = !directory.empty() && directory.back() == '/';
    return directory + (endsInSlash ? "" : "/") + kListingName;
}

}  // namespace

Programmer::Programmer() : Programmer(std::make_unique<KorvelBoard>(), PortNames()) {}

Programmer::Programmer(std::unique_ptr<ProgrammerBoard> board, PortNames ports)
    : board_(std::move(board)),
      ports_(std::move(ports)),
      chipRow_(kDefaultChipRow),
      imageName_(kNoFileName),
      listingDirectory_(TemporaryDirectory()) {
    image_.fill(0xFF);
}

Programmer::~Programmer() {
    Disconnect();
}

Detection Programmer::Detect(int portNumber) {
    Disconnect();
    Detection detection;
    detection.label = ports_.Label(portNumber);
    detection.device = ports_.Device(portNumber);
    if (detection.device.empty()) {
        detection.problem = portNumber < 1 ? "no port selected"
                                           : "no serial device stands for it (set KORVEL_COM" +
                                                 std::to_string(portNumber) + ")";
        return detection;
    }
    if (!board_->Connect(detection.device)) {
        detection.problem = board_->Problem();
        return detection;
    }
    detection.notice = board_->Notice();
    detection.advice = LatencyTimerAdvice(detection.device);
    boardFound_ = board_->AskVersion(detection.version);
    detection.result = boardFound_ ? DetectionResult::Found : DetectionResult::NotFound;
    return detection;
}

void Programmer::Disconnect() {
    board_->Disconnect();
    boardFound_ = false;
}

void Programmer::SelectChip(int row) {
    if (row < 0 || row >= kChipTypeCount) {
        return;
    }
    chipRow_ = row;
    if (!TakesChipAddress(Chip(), chipAddress_)) {
        chipAddress_ = 0;
    }
    if (range_ && range_->start + range_->length > Chip().size) {
        range_.reset();
    }
}

bool Programmer::SelectChipAddress(int pins) {
    if (!TakesChipAddress(Chip(), pins)) {
        return false;
    }
    chipAddress_ = pins;
    return true;
}

bool Programmer::SelectRange(const ChipRange& range) {
    if (range.start < 0 || range.length < 1 || range.start > Chip().size - range.length) {
        return false;
    }
    range_ = range;
    return true;
}

ChipRange Programmer::Range() const {
    return range_.value_or(ChipRange{0, Chip().size});
}

void Programmer::PutImage(std::size_t address, const std::vector<std::uint8_t>& bytes) {
    if (address < image_.size()) {
        const std::size_t count = std::min(bytes.size(), image_.size() - address);
        std::copy_n(bytes.begin(), count, image_.begin() + static_cast<long>(address));
    }
}

void Programmer::EditImage(std::size_t address, const std::vector<std::uint8_t>& bytes) {
    PutImage(address, bytes);
    imageName_ = kNoFileName;
    unsaved_ = true;
    // The chip is as it was: a difference the edit reaches now has the image's new byte, and is
    // settled once that is the chip's.
    const auto edited = [&](const Difference& d) {
        return static_cast<std::size_t>(d.address) >= address &&
               static_cast<std::size_t>(d.address) < address + bytes.size();
    };
    for (Difference& difference : differences_) {
        if (edited(difference)) {
            difference.image = image_[static_cast<std::size_t>(difference.address)];
        }
    }
    differences_.erase(std::remove_if(differences_.begin(), differences_.end(),
                                      [&](const Difference& d) { return d.chip == d.image; }),
                       differences_.end());
}

ChipOutcome Programmer::Run(ChipOperation operation, const Progress& progress) {
    stop_ = false;
    differences_.clear();
    const ChipOutcome outcome = RunChipOperation(*board_, {Chip(), chipAddress_, Range()},
                                                 operation, image_, progress, stop_);
    if (UntiesImage(operation)) {
        imageName_ = kNoFileName;
    }
    if (operation == ChipOperation::Read) {
        unsaved_ = true;
    }
    if (outcome.result == ChipResult::Differs) {
        differences_.push_back({outcome.address, outcome.chipByte, outcome.imageByte});
    }
    return outcome;
}

CompareOutcome Programmer::Compare(const Progress& progress) {
    stop_ = false;
    differences_.clear();
    const ChipRange range = Range();
    ImageBuffer chip = image_;
    CompareOutcome outcome{RunChipOperation(*board_, {Chip(), chipAddress_, range},
                                            ChipOperation::Read, chip, progress, stop_),
                           {}};
    const std::int32_t end =
        outcome.read.Succeeded() ? range.start + range.length : outcome.read.address;
    for (std::int32_t address = range.start; address < end; ++address) {
        const auto at = static_cast<std::size_t>(address);
        if (chip[at] != image_[at]) {
            outcome.differences.push_back({address, chip[at], image_[at]});
        }
    }
    differences_ = outcome.differences;
    return outcome;
}

ChangedWriteOutcome Programmer::WriteChanged(const Progress& reading, const Progress& writing) {
    const CompareOutcome compared = Compare(reading);
    ChangedWriteOutcome outcome{compared.read};
    if (!compared.read.Succeeded()) {
        return outcome;
    }
    std::vector<std::int32_t> addresses;
    for (const Difference& difference : compared.differences) {
        addresses.push_back(difference.address);
    }
    differences_.clear();
    imageName_ = kNoFileName;
    outcome.differing = static_cast<std::int32_t>(addresses.size());
    if (addresses.empty()) {
        outcome.outcome.operation = ChipOperation::Write;
        return outcome;
    }
    const ChangedWrite write =
        WriteAddresses(*board_, {Chip(), chipAddress_, Range()}, addresses, image_, writing, stop_);
    outcome.outcome = write.outcome;
    outcome.written = write.written;
    outcome.pages = write.pages;
    return outcome;
}

ProbeOutcome Programmer::ProbeSize(const Progress& progress) {
    stop_ = false;
    const int family = Chip().addressBytes;
    int largest = chipRow_;
    while (largest + 1 < kChipTypeCount && kChipTypes[largest + 1].addressBytes == family) {
        ++largest;
    }
    const ChipType& type = kChipTypes[largest];
    // Through one device address the read wraps at 256 bytes: a block at a time, each its own.
    const std::int32_t run = family == 1 ? 256 : type.size;
    ImageBuffer chip = image_;
    const AnsweredRead read =
        ReadNotingSilence(*board_, {type, family == 1 ? 0 : chipAddress_, {0, type.size}}, run,
                          chip, progress, stop_);
    ProbeOutcome outcome{read.outcome, {}};
    if (read.outcome.Succeeded()) {
        outcome.finding =
            FindSize({family, {chip.begin(), chip.begin() + type.size}, read.answered});
    }
    return outcome;
}

LoadOutcome Programmer::LoadImage(const std::string& path, ImageFormat format) {
    const LoadOutcome outcome = LoadImageFile(path, format, image_);
    if (outcome.result != LoadResult::CantOpen && outcome.result != LoadResult::NotAnImage) {
        imageName_ = LowerCaseAscii(path);
        unsaved_ = false;
        differences_.clear();
    }
    return outcome;
}

SaveOutcome Programmer::SaveImage(const std::string& path, ImageFormat format) {
    const SaveOutcome outcome = SaveImageFile(path, format, image_, Chip().size);
    if (outcome.result == SaveResult::Saved) {
        imageName_ = LowerCaseAscii(path);
        unsaved_ = false;
    }
    return outcome;
}

// The listing goes to its full path, never the current directory, and replaces BUFFER.TXT only
// once it is complete. A link planted at BUFFER.TXT is refused, not followed, and the links on
// the way to its directory are followed only where the kernel would.
ListingOutcome Programmer::WriteListing(const std::function<void()>& writing) const {
    const std::string path = ListingPath(listingDirectory_);
    AtomicFileWriter out;
    std::string reason;
    if (!out.Open(path, reason)) {
        return {false, path, reason};
    }
    if (writing) {
        writing();
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string listing =
        BufferListingText(imageName_, Chip().name, image_.data(), Chip().size, local);
    const bool written = out.Write(listing.data(), listing.size()) && out.Commit();
    return {written, path, ""};
}

}  // namespace korvel
