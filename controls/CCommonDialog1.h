#pragma once

#include <string>
#include <vector>

namespace korvel {

// One file type a file dialog offers: its description and the name patterns it lists.
struct FileFilter {
    std::string description;
    std::vector<std::string> patterns;  // "*" for every file
};

// What shows the file dialogs: the window's own, or a test's script.
class FileDialogView {
  public:
    virtual ~FileDialogView() = default;
    // Modal; returns the chosen path, or an empty text when the user cancelled.
    virtual std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) = 0;
    virtual std::string ChooseFileToSave(const std::vector<FileFilter>& filters) = 0;
};

// The file dialog component: a filter, an open and a save dialog, and the name chosen last.
class CCommonDialog1 {
  public:
    // "description|pattern|description|pattern…"; a pattern may list several, separated by
    // ";". "*.*" means every file: here a name need not contain a dot.
    void SetFilter(const std::string& filter);
    void ShowOpenDialog();
    void ShowSaveDialog();
    // The full path chosen in the last dialog; empty after a cancel.
    const std::string& GetFileName() const { return fileName_; }

    const std::vector<FileFilter>& Filters() const { return filters_; }
    // Without a view every dialog is cancelled.
    void Bind(FileDialogView* view) { view_ = view; }

  private:
    std::vector<FileFilter> filters_;
    std::string fileName_;
    FileDialogView* view_ = nullptr;
};

}  // namespace korvel
