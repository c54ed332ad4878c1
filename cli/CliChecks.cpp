#include "cli/CliChecks.h"

#include <algorithm>
#include <vector>

#include "programmer/ChipTypes.h"
#include "programmer/FormatText.h"

namespace korvel {

namespace {

bool Has(const CliOptions& options, CliWork work, std::optional<ChipOperation> chip = {}) {
    return std::any_of(options.operations.begin(), options.operations.end(),
                       [&](const CliOperation* o) { return o->work == work && o->chip == chip; });
}

// "0, 2, 4 or 6", or "only 0".
std::string AddressesOf(const ChipType& type) {
    std::vector<int> taken;
    for (int pins = 0; pins < 8; ++pins) {
        if (TakesChipAddress(type, pins)) {
            taken.push_back(pins);
        }
    }
    std::string list = taken.size() == 1 ? "only 0" : "0";
    for (std::size_t i = 1; i < taken.size(); ++i) {
        list += (i + 1 == taken.size() ? " or " : ", ") + std::to_string(taken[i]);
    }
    return list;
}

bool CheckChip(const CliOptions& options, std::string& error) {
    const ChipType& type = kChipTypes[options.chipRow];
    const ChipRange range = CliRange(options, type.size);
    if (range.start >= type.size) {
        error = FormatText("--start %d lies past the end of a %s (%d bytes)", range.start,
                           type.name, type.size);
        return false;
    }
    if (range.start + range.length > type.size) {
        error = FormatText("--start %d and --length %d reach past the end of a %s (%d bytes)",
                           range.start, range.length, type.name, type.size);
        return false;
    }
    if (!TakesChipAddress(type, options.chipAddress)) {
        error = FormatText("a %s takes --chip-address %s, not %d", type.name,
                           AddressesOf(type).c_str(), options.chipAddress);
        return false;
    }
    if (type.addressBytes == 1 && options.chipAddress != 0 && Has(options, CliWork::Probe)) {
        error = "probe reads a 24C00 to 24C16 through every device address: no --chip-address";
        return false;
    }
    if (options.changed && !Has(options, CliWork::Chip, ChipOperation::Write)) {
        error = "--changed goes with the operation write";
        return false;
    }
    return true;
}

bool CheckSerial(const CliOptions& options, std::string& error) {
    const CliBatch& batch = options.batch;
    const ChipType& type = kChipTypes[options.chipRow];
    const ChipRange range = CliRange(options, type.size);
    const int bits = batch.serialBytes * 8;
    if (batch.serialAt < 0) {
        return true;
    }
    if (!Has(options, CliWork::Chip, ChipOperation::Write)) {
        error = "--serial-at goes with the operation write";
    } else if (batch.serialAt < range.start ||
               batch.serialAt + batch.serialBytes > range.start + range.length) {
        error = FormatText(
            "the serial number's %d bytes at %d do not lie within the chip "
            "operations' addresses, %d to %d",
            batch.serialBytes, batch.serialAt, range.start, range.start + range.length - 1);
    } else if (bits < 64 && batch.serialStart >> bits != 0) {
        error = FormatText("--serial-start %llu does not fit in %d byte%s",
                           static_cast<unsigned long long>(batch.serialStart), batch.serialBytes,
                           batch.serialBytes == 1 ? "" : "s");
    } else {
        return true;
    }
    return false;
}

bool CheckBatch(const CliOptions& options, bool terminalInput, std::string& error) {
    const CliBatch& batch = options.batch;
    if (!batch.repeat) {
        error = batch.yes ? "--yes goes with --repeat=N" : "";
        return !batch.yes;
    }
    if (!options.out.empty()) {
        error = "--out saves one image, not one for each chip of --repeat";
    } else if (batch.yes && batch.count == 0) {
        error = "--yes needs a count of chips to end with: --repeat=N";
    } else if (!batch.yes && !terminalInput) {
        error =
            "--repeat asks for each next chip on a terminal; without one, give --yes and "
            "--repeat=N";
    } else {
        return true;
    }
    return false;
}

}  // namespace

bool CheckCliOptions(const CliOptions& options, bool terminalInput, std::string& error) {
    return CheckChip(options, error) && CheckSerial(options, error) &&
           CheckBatch(options, terminalInput, error);
}

}  // namespace korvel
