#pragma once

#include <chrono>
#include <string>

#include "dialog/DialogHost.h"
#include "dialog/ProgramInfo.h"

namespace korvel {

// The dialog's texts and message boxes on a terminal, each message box as a line "Title: text"
// on standard output; yes/no questions are answered yes, for the user named the file on the
// command line. Progress goes to standard error: on a terminal as one updating line with the
// time taken and the time left, into a file or a pipe as a plain line at every tenth of the way.
class TerminalHost : public DialogHost {
  public:
    // `progressOnTerminal`: standard error is a terminal.
    explicit TerminalHost(bool progressOnTerminal) : onTerminal_(progressOnTerminal) {}

    void ShowStatusTexts(const StatusTexts& texts) override;
    int ShowMessageBox(const std::string& text, const std::string& title, unsigned style) override;

  private:
    using Clock = std::chrono::steady_clock;

    void ShowOnTerminal(int percent);
    void ShowInLog(int percent);
    void EndProgressLine();

    bool onTerminal_;
    std::string action_ = kProgramTitle;  // the action line as last shown
    std::size_t shownWidth_ = 0;          // characters on the progress line, 0 when none
    Clock::time_point started_;           // when the running operation showed its first progress
    bool running_ = false;
    int loggedTenths_ = 0;  // tenths of the way already written to the log
};

// The text with every byte outside 0x20 to 0x7E written as \xHH: what a board sends must not
// reach the user's terminal as control codes.
std::string Printable(const std::string& text);

}  // namespace korvel
