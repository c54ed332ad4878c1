#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/KorvelWindow.h"
#include "tests/window/ScriptedServices.h"

class QComboBox;

// The main window as a user meets it: built, initialised and shown, with message boxes and
// file dialogs answered by the test. Point KORVEL_COM2 (or another port) at a simulator first.
class ShownWindow {
  public:
    ShownWindow();

    KorvelWindow& operator*() { return *window_; }
    KorvelWindow* operator->() { return window_.get(); }

    QWidget* Control(int id) { return window_->Window().Control(id); }
    QString Text(int id);
    bool Enabled(int id) { return Control(id)->isEnabled(); }
    // The ids of the eight command buttons that are enabled, in template order.
    std::vector<int> EnabledButtons();

    // A mouse click in the middle of the control.
    void Click(int id);
    // Opens the list and clicks the entry at this position, as a user does.
    void Choose(int listId, int index);
    QComboBox& List(int id);

    ScriptedBoxes boxes;
    ScriptedFiles files;

  private:
    std::unique_ptr<KorvelWindow> window_;
};

// A directory whose path is all lower case, for image files: Open and Save lower-case the
// names they are given.
class LowerCaseDir {
  public:
    LowerCaseDir();
    ~LowerCaseDir();
    std::string File(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

// Sets an environment variable for the life of the object, then puts back what was there.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    bool had_;
    std::string previous_;
};

// The lines of a simulator trace once the board has logged its last exchange.
std::vector<std::string> SettledTrace(const std::string& traceFile);
// Trace lines that start with this command byte ("52" read, "57" write, "46" version).
int CountCommands(const std::vector<std::string>& trace, const std::string& command);
