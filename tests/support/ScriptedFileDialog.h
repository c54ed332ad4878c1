#pragma once

#include <deque>
#include <string>
#include <vector>

#include "controls/CCommonDialog1.h"

// A stand-in for the window's file dialogs: answers from a script (a path, or "" for a cancel;
// every dialog is cancelled once the script runs out) and records each dialog it was asked for
// as "open" or "save" followed by the first pattern of each filter offered, e.g. "save *.bin".
struct ScriptedFileDialog : FileDialogView {
    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override {
        return Answer("open", filters);
    }
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override {
        return Answer("save", filters);
    }
    std::string Answer(std::string dialog, const std::vector<FileFilter>& filters) {
        for (const FileFilter& filter : filters) {
            dialog += " " + filter.patterns.front();
        }
        shown.push_back(dialog);
        const std::string answer = answers.empty() ? "" : answers.front();
        if (!answers.empty()) {
            answers.pop_front();
        }
        return answer;
    }

    std::deque<std::string> answers;
    std::vector<std::string> shown;
};
