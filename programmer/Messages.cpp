#include "programmer/Messages.h"

#include "platform/InputFile.h"
#include "programmer/FormatText.h"

namespace korvel {

namespace {

struct Words {
    const char* progress;
    const char* title;
    const char* success;  // nullptr: a success says nothing
    const char* failure;  // its mismatch; may name the address with %x
};

// clang-format off
constexpr Words kWords[] = {
    /* Read */       {"Reading... %d%% done",   nullptr,       nullptr,           nullptr},
    /* Verify */     {"Verifying... %d%% done", "Verify",      "Verify ok",
                      "Verify failed !\nFirst error at addr %xh"},
    /* BlankCheck */ {"Checking... %d%% done",  "Blank check", "Device is blank",
                      "Device isn't blank !\nFirst error at addr %xh"},
    /* Erase */      {"Erasing... %d%% done",   "Erase",       nullptr,           "Erase error !"},
    /* Write */      {"Writing... %d%% done",   "Write",       nullptr,           "Write error !"},
};
// clang-format on

const Words& WordsOf(ChipOperation operation) {
    return kWords[static_cast<int>(operation)];
}

// A reason behind a message's own words, on a line of its own.
std::string OnALine(const std::string& reason) {
    return reason.empty() ? "" : "\n" + reason;
}

}  // namespace

std::optional<Message> OutcomeMessage(const ChipOutcome& outcome) {
    const Words& words = WordsOf(outcome.operation);
    if (outcome.result == ChipResult::TransmissionError) {
        return Message{"Error", "Transmission error !"};
    }
    if (outcome.result == ChipResult::NoChip) {
        return Message{"Error", "No chip answers !"};
    }
    if (outcome.result == ChipResult::Stopped) {
        return Message{"Stopped", FormatText("Operation stopped !\nStopped at addr %xh",
                                             static_cast<unsigned>(outcome.address))};
    }
    if (!outcome.Succeeded()) {
        return Message{words.title,
                       FormatText(words.failure, static_cast<unsigned>(outcome.address))};
    }
    if (words.success == nullptr) {
        return std::nullopt;
    }
    return Message{words.title, words.success};
}

std::string ProgressText(ChipOperation operation, std::int32_t done, std::int32_t total) {
    return FormatText(WordsOf(operation).progress, done * 100 / total);
}

std::string CompareProgressText(std::int32_t done, std::int32_t total) {
    return FormatText("Comparing... %d%% done", done * 100 / total);
}

Message CompareMessage(const CompareOutcome& outcome) {
    if (!outcome.read.Succeeded()) {
        return *OutcomeMessage(outcome.read);
    }
    const std::vector<Difference>& differences = outcome.differences;
    if (differences.empty()) {
        return {"Compare", "Compare ok"};
    }
    const unsigned first = static_cast<unsigned>(differences.front().address);
    if (differences.size() == 1) {
        return {"Compare", FormatText("1 byte differs !\nFirst error at addr %xh", first)};
    }
    return {"Compare", FormatText("%d bytes differ !\nFirst error at addr %xh",
                                  static_cast<int>(differences.size()), first)};
}

std::string PortProblem(const Detection& detection) {
    const std::string& why = detection.problem;
    return why.rfind(detection.label + ": ", 0) == 0 ? why : detection.label + ": " + why;
}

std::vector<std::string> DetectionNotes(const Detection& detection) {
    std::vector<std::string> notes;
    if (detection.result == DetectionResult::CantOpen) {
        notes.push_back("can't open " + PortProblem(detection));
    }
    for (const std::string& note : {detection.notice, detection.advice}) {
        if (!note.empty()) {
            notes.push_back(note);
        }
    }
    return notes;
}

std::string HardwareLine(const Detection& detection) {
    switch (detection.result) {
        case DetectionResult::Found:
            // The answer is text: it ends at a zero byte.
            return "Hardware v" + detection.version.substr(0, detection.version.find('\0'));
        case DetectionResult::NotFound:
            return "Hardware not found !";
        case DetectionResult::CantOpen:
        default:
            return "Can't open port";
    }
}

std::optional<Message> LoadMessage(const LoadOutcome& outcome, std::int32_t chipSize) {
    switch (outcome.result) {
        case LoadResult::NotAnImage:
            return Message{"Error", "Not an image file !\n" + outcome.problem, MessageIcon::Stop};
        case LoadResult::ReadError:
            return Message{"Error", "Can't read the whole file.\nRead error !", MessageIcon::Stop};
        case LoadResult::Silent:
            return Message{"Error",
                           FormatText("Can't read the whole file.\nNo data for %d seconds !",
                                      kInputPatienceSeconds),
                           MessageIcon::Stop};
        case LoadResult::Loaded:
            if (outcome.held > static_cast<std::size_t>(chipSize)) {
                return Message{"Warning",
                               FormatText("File size is > EEPROM size !\nOnly the first %d bytes "
                                          "will be used.",
                                          chipSize),
                               MessageIcon::Warning};
            }
            return std::nullopt;
        case LoadResult::CantOpen:
        default:
            return std::nullopt;
    }
}

std::optional<Message> SaveMessage(const SaveOutcome& outcome) {
    switch (outcome.result) {
        case SaveResult::CantWrite:
            return Message{"Error",
                           "Can't write to file.\nFile is read only ?" + OnALine(outcome.reason),
                           MessageIcon::Stop};
        case SaveResult::WriteFailed:
            return Message{"Error", "Can't save the file.\nDisk full or write error !",
                           MessageIcon::Stop};
        case SaveResult::Saved:
        default:
            return std::nullopt;
    }
}

Message OverwriteQuestion() {
    return {"Warning", "File exist. Overwrite ?", MessageIcon::Stop};
}

Message ListingFailedMessage(const std::string& reason) {
    return {"Error", "Can't write the file" + OnALine(reason)};
}

}  // namespace korvel
