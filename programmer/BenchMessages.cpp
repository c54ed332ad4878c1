#include "programmer/BenchMessages.h"

#include "programmer/ChipTypes.h"
#include "programmer/FormatText.h"

namespace korvel {

namespace {

std::string TypeAndSize(int row) {
    return FormatText("%s (%d bytes)", kChipTypes[row].name, kChipTypes[row].size);
}

// "24C04, 24C08 or 24C16".
std::string Names(const std::vector<int>& rows) {
    std::string names;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const char* joint = i == 0 ? "" : i + 1 == rows.size() ? " or " : ", ";
        names += joint + std::string(kChipTypes[rows[i]].name);
    }
    return names;
}

// What the larger types would hold beyond the smallest one's bytes.
std::string Beyond(const SizeFinding& finding) {
    const std::int32_t size = kChipTypes[finding.row].size;
    if (!finding.erased) {
        return FormatText("the same %d bytes again and again", size);
    }
    if (!finding.repeats) {
        return "0xFF beyond them";
    }
    return FormatText("the same %d bytes again and again up to %d bytes, and 0xFF beyond", size,
                      finding.repeatsUpTo);
}

std::string Unknown(const SizeFinding& finding) {
    if (finding.period == 0) {
        return "unknown: it answers as no 24Cxx does";
    }
    if (finding.period == 1) {
        return "unknown: every byte is the same";
    }
    return FormatText("unknown: the bytes repeat every %d bytes", finding.period);
}

}  // namespace

std::string DifferenceLine(const Difference& difference) {
    return FormatText("%04X: chip %02X, image %02X", static_cast<unsigned>(difference.address),
                      difference.chip, difference.image);
}

std::string DifferenceCount(std::size_t count) {
    if (count == 0) {
        return "chip and image are equal";
    }
    return count == 1 ? "1 byte differs" : FormatText("%zu bytes differ", count);
}

Message ChangedWriteMessage(const ChangedWriteOutcome& outcome) {
    std::string text = FormatText("%d byte%s differed, %d written", outcome.differing,
                                  outcome.differing == 1 ? "" : "s", outcome.written);
    if (outcome.pages > 0) {
        text += FormatText(" in %d page%s", outcome.pages, outcome.pages == 1 ? "" : "s");
    }
    return {"Write", text};
}

Message SizeMessage(const SizeFinding& finding) {
    switch (finding.verdict) {
        case SizeVerdict::Known:
            return {"Size", TypeAndSize(finding.row) +
                                (finding.silentBeyond ? ": nothing answers beyond them" : "")};
        case SizeVerdict::Either:
            return {"Size", TypeAndSize(finding.row) + ", or a " + Names(finding.others) +
                                " that holds " + Beyond(finding)};
        case SizeVerdict::Unknown:
        default:
            return {"Size", Unknown(finding)};
    }
}

}  // namespace korvel
