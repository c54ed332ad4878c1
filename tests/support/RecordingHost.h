#pragma once

#include <deque>
#include <string>
#include <vector>

#include "dialog/DialogHost.h"

struct RecordedBox {
    std::string text;
    std::string title;
    unsigned style;
};

// A stand-in window: keeps every push of the status texts and every message box, and answers
// the boxes from a script (IDOK, or IDYES for a yes/no box, once the script runs out).
class RecordingHost : public DialogHost {
  public:
    void ShowStatusTexts(const StatusTexts& texts) override;
    int ShowMessageBox(const std::string& text, const std::string& title, unsigned style) override;

    const StatusTexts& Last() const { return pushes.back(); }
    std::vector<std::string> ActionTexts() const;

    std::vector<StatusTexts> pushes;
    std::vector<RecordedBox> boxes;
    std::deque<int> answers;
};
