#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "dialog/DialogHost.h"

namespace korvel {

// The user at the dialog, played by a test: answers message boxes and file dialogs from its
// scripts and keeps what it was shown. `shown` lists in order each box, as "Title style: text",
// and each file dialog, as "open" or "save" followed by the first pattern of each file type
// offered ("save *.bin *.hex *.srec *"); `boxes` the boxes alone. `pushes` holds every push of the
// four status texts, and `actions` their action lines; `buttons` whether the device buttons were
// last switched on. A box gets the next answer, or IDOK (IDYES for a yes/no box, IDNO, Discard, for
// a Save / Discard / Cancel box) once the script has run out; a file dialog gets the next path, or
// "" (a cancel). A question asked aside is kept in `asked` and answered at once with the next of
// `asideAnswers`; with none left it stays open, as a user who has not answered yet leaves it,
// until it is withdrawn (counted in `withdrawn`).
struct ScriptedUser : DialogHost {
    void ShowStatusTexts(const StatusTexts& texts) override {
        pushes.push_back(texts);
        actions.push_back(texts.action);
    }
    void EnableDeviceButtons(bool enabled) override { buttons = enabled ? "on" : "off"; }
    int ShowMessageBox(const std::string& text, const std::string& title, unsigned style) override {
        shown.push_back(title + " " + std::to_string(style) + ": " + text);
        boxes.push_back(shown.back());
        if (answers.empty()) {
            const unsigned buttons = style & 0x0F;
            return buttons == MB_YESNO ? IDYES : buttons == MB_SAVEDISCARDCANCEL ? IDNO : IDOK;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void AskAside(const std::string& text, const std::string& title, unsigned style,
                  std::function<void(int)> answered) override {
        asked.push_back(title + " " + std::to_string(style) + ": " + text);
        if (asideAnswers.empty()) {
            openAside = std::move(answered);
            return;
        }
        const int answer = asideAnswers.front();
        asideAnswers.pop_front();
        answered(answer);
    }
    void WithdrawAside() override {
        if (openAside) {
            openAside = nullptr;
            ++withdrawn;
        }
    }
    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override {
        return Choose("open", filters);
    }
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override {
        return Choose("save", filters);
    }
    const StatusTexts& Last() const { return pushes.back(); }

    std::vector<std::string> shown;
    std::vector<std::string> boxes;
    std::vector<StatusTexts> pushes;
    std::vector<std::string> actions;
    std::string buttons = "never switched";
    std::deque<int> answers;
    std::deque<std::string> paths;
    std::vector<std::string> asked;
    std::deque<int> asideAnswers;
    std::function<void(int)> openAside;
    int withdrawn = 0;

  private:
    std::string Choose(std::string dialog, const std::vector<FileFilter>& filters) {
        for (const FileFilter& filter : filters) {
            dialog += " " + filter.patterns.front();
        }
        shown.push_back(dialog);
        const std::string path = paths.empty() ? "" : paths.front();
        if (!paths.empty()) {
            paths.pop_front();
        }
        return path;
    }
};

}  // namespace korvel
