#pragma once

#include <deque>
#include <string>
#include <vector>

#include "controls/CCommonDialog1.h"
#include "platform/qt/MessageBoxes.h"

struct ShownBox {
    std::string text;
    std::string title;
    unsigned style;
};

// Message boxes answered by the test: each is recorded and gets the next scripted answer, or
// IDOK (IDYES for a yes/no box) once the script has run out.
class ScriptedBoxes : public MessageBoxPresenter {
  public:
    int Show(QWidget& owner, const std::string& text, const std::string& title,
             unsigned style) override;

    std::vector<ShownBox> shown;
    std::deque<int> answers;
};

// File dialogs answered by the test: each returns the next scripted path, or "" (a cancel).
class ScriptedFiles : public FileDialogView {
  public:
    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override;
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override;

    int opens = 0;
    int saves = 0;
    std::deque<std::string> paths;

  private:
    std::string Next();
};
