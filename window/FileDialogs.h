#pragma once

#include <QStringList>
#include <QWidget>

#include "dialog/DialogHost.h"

namespace korvel {

// Qt name filters for a file dialog, "description (patterns)": a pattern list that ends the
// description ("All files (*.*)") gives way to the filter's own patterns, in which "*" lists
// every file, dotted or not.
QStringList NameFilters(const std::vector<FileFilter>& filters);

// The name a save dialog gives for the name the user chose: a file name without an extension
// gets that of the file type chosen, the first when none is ("dump" becomes "dump.bin" under
// "*.bin", "dump.hex" under "*.hex *.ihex *.eep"), so that the file shows under that type later
// and is written in its format; a name with any extension, and the empty name of a cancel, stay
// as they are.
std::string NameToSave(const std::string& chosen, const std::vector<FileFilter>& filters,
                       std::size_t chosenType = 0);

// What shows the file dialogs: Qt's own, or a test's script.
class FileChooser {
  public:
    virtual ~FileChooser() = default;
    // Modal; the chosen path, or an empty text when the user cancelled.
    virtual std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) = 0;
    virtual std::string ChooseFileToSave(const std::vector<FileFilter>& filters) = 0;
};

// Qt's file dialogs, modal to the owner. The save dialog gives the name that will be written
// (see NameToSave) and asks nothing about existing files: Save asks that itself, for that name.
class QtFileChooser : public FileChooser {
  public:
    explicit QtFileChooser(QWidget& owner) : owner_(owner) {}

    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override;
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override;

  private:
    QWidget& owner_;
};

}  // namespace korvel
