#pragma once

#include <string>

#include "controls/CCommonDialog1.h"

namespace korvel {

// The file dialog of a command line: the named file is chosen once; asked again (after a file
// that could not be opened, or a "no"), the user cancels.
class OneFileDialog : public FileDialogView {
  public:
    explicit OneFileDialog(std::string path) : path_(std::move(path)) {}
    std::string ChooseFileToOpen(const std::vector<FileFilter>&) override { return Take(); }
    std::string ChooseFileToSave(const std::vector<FileFilter>&) override { return Take(); }
    // Whether the named file was refused and the dialog asked once more.
    bool Refused() const { return asked_ > 1; }

  private:
    std::string Take() { return ++asked_ == 1 ? path_ : std::string(); }

    std::string path_;
    int asked_ = 0;
};

}  // namespace korvel
