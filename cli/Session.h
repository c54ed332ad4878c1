#pragma once

#include <optional>
#include <string>

#include "cli/CliOptions.h"
#include "cli/ProgressLine.h"
#include "programmer/Messages.h"
#include "programmer/Programmer.h"

namespace korvel {

// One run of the command line: the programmer, with what it says on the terminal.
class Session {
  public:
    explicit Session(const CliOptions& options);

    // Loads, runs the operations (for each chip of a batch), saves; true when all succeeded.
    bool Run();

  private:
    bool RunOperations();
    bool RunOperation(const CliOperation& operation);
    // A message as one line on standard output, "Title: text".
    void Print(const Message& message, const char* answer = "");
    void Print(const std::optional<Message>& message);
    // A line of its own on standard output.
    void PrintLine(const std::string& line);

    bool Detect();
    bool BoardThere(const CliOperation& operation);
    bool RunChip(const CliOperation& operation);
    bool WriteChanged();
    bool Compare();
    bool Probe();
    Progress ProgressOf(ChipOperation operation);

    bool Load();
    bool MaySave();
    bool Save();
    ImageFormat FormatOf(const std::string& path) const;
    bool List();
    void PrintSums();
    void ListPorts();

    const CliOptions& options_;
    Programmer programmer_;
    ProgressLine progress_;
    std::string portLabel_;     // how the port is named in what is printed
    std::string hardwareLine_;  // what the last detection found
};

}  // namespace korvel
