#pragma once

#include <QComboBox>
#include <QLabel>
#include <deque>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/KorvelWindow.h"
#include "tests/support/SimulatorProcess.h"

// Message boxes and file dialogs answered by the test. Each is logged, a box by its text and a
// file dialog as "open dialog" or "save dialog". A box gets the next scripted answer, or IDOK
// (IDYES for a yes/no box) once the script has run out; a file dialog gets the next path, or ""
// (a cancel).
class ScriptedUser : public MessageBoxPresenter, public FileDialogView {
  public:
    int Show(QWidget& owner, const std::string& text, const std::string& title,
             unsigned style) override;
    std::string ChooseFileToOpen(const std::vector<FileFilter>&) override {
        return Path("open dialog");
    }
    std::string ChooseFileToSave(const std::vector<FileFilter>&) override {
        return Path("save dialog");
    }

    std::vector<std::string> shown;
    std::deque<int> answers;
    std::deque<std::string> paths;

  private:
    std::string Path(const char* dialog);
};

// The main window as a user meets it: built, initialised and shown, with message boxes and
// file dialogs answered by the test. Point KORVEL_COM2 (or another port) at a simulator first.
class ShownWindow {
  public:
    ShownWindow();

    KorvelWindow* operator->() { return window_.get(); }
    QWidget* Control(int id) { return window_->Window().Control(id); }
    QString Text(int id) { return static_cast<QLabel*>(Control(id))->text(); }
    QComboBox& List(int id) { return *static_cast<QComboBox*>(Control(id)); }

    // A mouse click on the window in the middle of the control.
    void Click(int id);
    // Opens the list and clicks the entry at this position, as a user does.
    void Choose(int listId, int index);

    ScriptedUser user;

  private:
    std::unique_ptr<KorvelWindow> window_;
};

// The simulator's trace once the board has logged its last exchange.
std::vector<std::string> SettledTrace(const SimulatorProcess& sim);
// Trace lines that start with this command byte ("52" read, "57" write, "46" version).
int CountCommands(const std::vector<std::string>& trace, const std::string& command);

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
