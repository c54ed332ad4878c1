#pragma once

#include <QComboBox>
#include <QLabel>
#include <functional>
#include <vector>

#include "dialog/DialogHost.h"
#include "window/FileDialogs.h"
#include "window/MessageBoxes.h"

namespace korvel {

// The controls that show the status texts: four lines, and the port list, whose own tooltip
// says why the chosen port could not be opened.
struct StatusLabels {
    QLabel* action;
    QLabel* file;
    QLabel* size;
    QLabel* hardware;
    QComboBox* ports;
};

// The dialog's texts, buttons, message boxes and file dialogs in the window. A push changes only
// the labels whose text changed; the action line is painted at once when it changes, so that
// progress shows while an operation holds the window, and is not painted again for an unchanged
// text (a 24C256 pushes 32 768 times but its percentage changes only 100 times). The file line
// shows a path too long for it shortened in the middle, so that the file's name stays in sight,
// and holds the whole line as its tooltip.
class QtDialogHost : public DialogHost {
  public:
    QtDialogHost(QWidget& owner, const StatusLabels& labels, std::vector<QWidget*> deviceButtons,
                 MessageBoxPresenter& boxes, FileChooser& files, std::function<void()> afterPush);

    void ShowStatusTexts(const StatusTexts& texts) override;
    void EnableDeviceButtons(bool enabled) override;
    int ShowMessageBox(const std::string& text, const std::string& title, unsigned style) override;
    void AskAside(const std::string& text, const std::string& title, unsigned style,
                  std::function<void(int)> answered) override;
    void WithdrawAside() override;
    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override;
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override;

    // How often the action line was painted at once.
    int ActionRepaints() const { return actionRepaints_; }

  private:
    QWidget& owner_;
    StatusLabels labels_;
    std::vector<QWidget*> deviceButtons_;
    MessageBoxPresenter& boxes_;
    FileChooser& files_;
    std::function<void()> afterPush_;
    int actionRepaints_ = 0;
};

// The hardware line holds at most this many characters, whatever the board answered.
constexpr int kHardwareLineLimit = 20;

}  // namespace korvel
