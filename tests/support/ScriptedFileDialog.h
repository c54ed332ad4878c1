#pragma once

#include <deque>
#include <string>
#include <vector>

#include "controls/CCommonDialog1.h"

// A stand-in for the window's file dialogs: answers from a script (a path, or "" for a cancel;
// every dialog is cancelled once the script runs out) and records each dialog it was asked for.
class ScriptedFileDialog : public FileDialogView {
  public:
    struct Shown {
        bool save;
        std::vector<FileFilter> filters;
    };

    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override;
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override;

    std::deque<std::string> answers;
    std::vector<Shown> shown;

  private:
    std::string Answer(bool save, const std::vector<FileFilter>& filters);
};
