#pragma once

#include <chrono>
#include <string>

namespace korvel {

// The action of the moment on standard error: on a terminal as one updating line, with the time
// taken and the time left while an operation runs; into a file or a pipe as a plain line at
// every tenth of the way.
class ProgressLine {
  public:
    // `onTerminal`: standard error is a terminal.
    explicit ProgressLine(bool onTerminal) : onTerminal_(onTerminal) {}

    // Shows an operation's progress text at `percent`, or a word such as "Ready." (percent -1);
    // the same text again changes nothing.
    void Show(const std::string& action, int percent = -1);
    // Ends a line under way on the terminal, so that what is printed next starts a line of its own.
    void Break();

  private:
    using Clock = std::chrono::steady_clock;

    void ShowOnTerminal(int percent);
    void ShowInLog(int percent);

    bool onTerminal_;
    std::string action_;
    std::size_t shownWidth_ = 0;  // characters on the progress line, 0 when none
    Clock::time_point started_;   // when the running operation showed its first progress
    bool running_ = false;
    int loggedTenths_ = 0;  // tenths of the way already written to the log
};

// The text with every byte outside 0x20 to 0x7E written as \xHH: what a board sends must not
// reach the user's terminal as control codes.
std::string Printable(const std::string& text);

}  // namespace korvel
