#pragma once

#include <string>

#include "dialog/DialogHost.h"
#include "dialog/ProgramInfo.h"

// The dialog's texts and message boxes on a terminal: progress on one updating line of standard
// error, each message box as a line "Title: text" on standard output. Yes/no questions are
// answered yes: the user named the file on the command line.
class TerminalHost : public DialogHost {
  public:
    void ShowStatusTexts(const StatusTexts& texts) override;
    int ShowMessageBox(const std::string& text, const std::string& title, unsigned style) override;

    // Whether a box since the last call complained: an error, or a failed check.
    bool TakeComplaint();

  private:
    void EndProgressLine();

    std::string action_ = kProgramTitle;  // the action line before any operation
    std::size_t shownWidth_ = 0;          // characters on the progress line, 0 when none
    bool complaint_ = false;
};
