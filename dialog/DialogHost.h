#pragma once

#include <functional>
#include <string>
#include <vector>

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

// Message box styles and answers, as the window's message boxes understand them. A
// Save / Discard / Cancel box answers IDYES, IDNO or IDCANCEL.
enum : unsigned {
    MB_OK = 0x00,
    MB_SAVEDISCARDCANCEL = 0x03,
    MB_YESNO = 0x04,
    MB_ICONSTOP = 0x10,
    MB_ICONEXCLAMATION = 0x30,
};
enum : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

// One file type a file dialog offers: its description and the name patterns it lists.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*" for every file
};

// What the dialog shows and asks: the window, or a test's scripted user.
class DialogHost {
  public:
    virtual ~DialogHost() = default;
    // Shows all the texts at once; called after every change to any of them.
    virtual void ShowStatusTexts(const StatusTexts& texts) = 0;
    // Switches Read, Write, Verify, Blank and Erase on or off, in this order.
    virtual void EnableDeviceButtons(bool enabled) = 0;
    // Shows a modal message box and returns the button pressed (IDOK, IDYES, IDNO or IDCANCEL).
    virtual int ShowMessageBox(const std::string& text, const std::string& title,
                               unsigned style) = 0;
    // Asks a yes/no question without holding up the work under way: `answered` gets IDYES or
    // IDNO when the user answers, unless the question is withdrawn first. One at a time.
    virtual void AskAside(const std::string& text, const std::string& title, unsigned style,
                          std::function<void(int)> answered) = 0;
    virtual void WithdrawAside() = 0;
    // Modal file dialogs: the chosen path, or an empty text when the user cancelled.
    virtual std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) = 0;
    virtual std::string ChooseFileToSave(const std::vector<FileFilter>& filters) = 0;
};

}  // namespace korvel
