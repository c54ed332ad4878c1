#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "programmer/ChipOperation.h"
#include "programmer/Detection.h"
#include "programmer/ImageFiles.h"
#include "programmer/Programmer.h"

namespace korvel {

// The words of every outcome, so that the window and the command line say the same.

enum class MessageIcon { None, Warning, Stop };

// A message for the user: what a window shows in a box with this title and icon, and the command
// line prints as "Title: text".
struct Message {
    std::string title;
    std::string text;  // "\n" breaks a line
    MessageIcon icon = MessageIcon::None;
};

// Why the port could not be opened, under the name the user knows it by: "COM2: /dev/ttyS1:
// Permission denied", or "/dev/ttyS1: Permission denied" for a port named by its path.
std::string PortProblem(const Detection& detection);

// What detection has to tell the user beyond the hardware line, a line each, for standard error:
// why the port could not be opened, how it was opened, a slow adapter.
std::vector<std::string> DetectionNotes(const Detection& detection);

// What a chip operation's outcome says: its error, or for Verify and Blank check their success;
// nothing for a Read, Erase or Write that went through.
std::optional<Message> OutcomeMessage(const ChipOutcome& outcome);

// The progress of an operation, "Reading... 42% done", for `done` of `total` addresses.
std::string ProgressText(ChipOperation operation, std::int32_t done, std::int32_t total);

// A comparison of the chip with the image: its progress, "Comparing... 42% done", and what it
// found: how many bytes differ and the first of them, "Compare ok" when none does, or why the
// read of the chip ended early.
std::string CompareProgressText(std::int32_t done, std::int32_t total);
Message CompareMessage(const CompareOutcome& outcome);

// What detection says on the hardware line: "Hardware v" and the board's answer up to a zero
// byte, "Hardware not found !" or "Can't open port".
std::string HardwareLine(const Detection& detection);

// What loading an image file says: its error, or a warning when the file holds more bytes than
// the chip of `chipSize`; nothing for a file that could not be opened (each face has its own way
// of asking again) or that loaded well.
std::optional<Message> LoadMessage(const LoadOutcome& outcome, std::int32_t chipSize);
// What a failed save says, with its reason on a line of its own where there is more to say
// than "read only"; nothing for a saved file.
std::optional<Message> SaveMessage(const SaveOutcome& outcome);
// The question before an existing file is replaced.
Message OverwriteQuestion();
// What a listing that could not be written says, with the reason where there is one.
Message ListingFailedMessage(const std::string& reason);

// The image's name while it stands for no file, and the action line after every operation.
constexpr const char kNoFileName[] = "[buffer]";
constexpr const char kReadyText[] = "Ready.";

}  // namespace korvel
