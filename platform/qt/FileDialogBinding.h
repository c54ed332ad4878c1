#pragma once

#include <QStringList>
#include <QWidget>

#include "controls/CCommonDialog1.h"

// Qt name filters for a file dialog, "description (patterns)": a pattern list that ends the
// description ("All files (*.*)") gives way to the filter's own patterns, in which "*" lists
// every file, dotted or not.
QStringList NameFilters(const std::vector<FileFilter>& filters);

// The file dialogs of CCommonDialog1 on Qt's file dialog, modal to the owner. The save dialog
// asks nothing about existing files: Save asks that itself.
class QtFileDialogView : public FileDialogView {
  public:
    explicit QtFileDialogView(QWidget& owner) : owner_(owner) {}

    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override;
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override;

  private:
    QWidget& owner_;
};
