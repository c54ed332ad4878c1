#pragma once

#include <string>

namespace korvel {

// The texts of the main window: the only record of what it shows.
struct StatusTexts {
    std::string action;    // action line: title, progress, "Ready."
    std::string file;      // file line: "File: " and the file name
    std::string size;      // size line: "Size: %d bytes"
    std::string hardware;  // hardware line: the board's answer to detection
    // Why the chosen port could not be opened, behind the hardware line's "Can't open port";
    // empty while it is open.
    std::string portProblem;
};

// Message box styles and answers, as the window's message boxes understand them.
enum : unsigned {
    MB_OK = 0x00,
    MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10,
    MB_ICONEXCLAMATION = 0x30,
};
enum : int {
    IDOK = 1,
    IDYES = 6,
    IDNO = 7,
};

// Where the dialog's texts and message boxes go: the window, a terminal, or a test's record.
class DialogHost {
  public:
    virtual ~DialogHost() = default;
    // Shows all the texts at once; called after every change to any of them.
    virtual void ShowStatusTexts(const StatusTexts& texts) = 0;
    // Shows a modal message box and returns the button pressed (IDOK, IDYES or IDNO).
    virtual int ShowMessageBox(const std::string& text, const std::string& title,
                               unsigned style) = 0;
};

}  // namespace korvel
