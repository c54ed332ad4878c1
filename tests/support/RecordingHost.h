#pragma once

#include <deque>
#include <string>
#include <vector>

#include "dialog/DialogHost.h"

// A stand-in window: keeps every push of the status texts and every message box, as
// "title style: text", and answers the boxes from a script (IDOK, or IDYES for a yes/no box,
// once the script runs out).
struct RecordingHost : DialogHost {
    void ShowStatusTexts(const StatusTexts& texts) override { pushes.push_back(texts); }
    int ShowMessageBox(const std::string& text, const std::string& title, unsigned style) override {
        boxes.push_back(title + " " + std::to_string(style) + ": " + text);
        if (answers.empty()) {
            return (style & MB_YESNO) != 0 ? IDYES : IDOK;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    const StatusTexts& Last() const { return pushes.back(); }
    std::vector<std::string> ActionTexts() const {
        std::vector<std::string> texts;
        for (const StatusTexts& push : pushes) {
            texts.push_back(push.action);
        }
        return texts;
    }

    std::vector<StatusTexts> pushes;
    std::vector<std::string> boxes;
    std::deque<int> answers;
};
