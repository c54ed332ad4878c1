#pragma once

#include <QComboBox>
#include <QLabel>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/KorvelWindow.h"
#include "tests/support/ScriptedUser.h"
#include "tools/launch/SimulatorProcess.h"

namespace korvel {

// The main window as a user meets it: built, initialised and shown, with message boxes and
// file dialogs answered by the test, or the toolkit's own file dialogs. Point KORVEL_COM2 (or
// another port) at a simulator first.
class ShownWindow : MessageBoxPresenter, FileChooser {
  public:
    explicit ShownWindow(bool realFileDialogs = false);

    KorvelWindow* operator->() { return window_.get(); }
    QWidget* Control(int id) { return window_->Window().Control(id); }
    QString Text(int id) { return static_cast<QLabel*>(Control(id))->text(); }
    QComboBox& List(int id) { return *static_cast<QComboBox*>(Control(id)); }

    // Makes the window the active one, as a user's click on it does; false when it did not become
    // so.
    bool Activate();
    // Whether the dialog has ended (closed, or Enter in a list).
    bool Finished() const { return finished_; }

    // A mouse click on the window in the middle of the control.
    void Click(int id);
    // Opens the list and clicks the entry at this position, as a user does.
    void Choose(int listId, int index);

    ScriptedUser user;

  private:
    int Show(QWidget&, const std::string& text, const std::string& title, unsigned style) override {
        return user.ShowMessageBox(text, title, style);
    }
    void Ask(QWidget&, const std::string& text, const std::string& title, unsigned style,
             std::function<void(int)> answered) override {
        user.AskAside(text, title, style, std::move(answered));
    }
    void Withdraw() override { user.WithdrawAside(); }
    std::string ChooseFileToOpen(const std::vector<FileFilter>& filters) override {
        return user.ChooseFileToOpen(filters);
    }
    std::string ChooseFileToSave(const std::vector<FileFilter>& filters) override {
        return user.ChooseFileToSave(filters);
    }

    std::unique_ptr<KorvelWindow> window_;
    bool finished_ = false;
};

// The simulator's trace once the board has logged its last exchange.
std::vector<std::string> SettledTrace(const SimulatorProcess& sim);
// Trace lines that start with this command byte ("52" read, "57" write, "46" version).
int CountCommands(const std::vector<std::string>& trace, const std::string& command);

}  // namespace korvel

// Found by argument-dependent lookup, so in the namespace of QString.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
