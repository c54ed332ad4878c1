#pragma once

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <functional>

#include "dialog/ImageEditor.h"
#include "window/HexArea.h"

namespace korvel {

// What the image view asks of the main window: a comparison of the chip with the image, run as
// the window runs its handlers, and whether there is a board to compare with.
struct ImageViewCommands {
    std::function<void()> compare;
    std::function<bool()> canCompare;
};

// The image view: a window of its own beside the main window, not modal. Above the bytes, Go to
// and Find fields with Find's previous and next, then Undo, Redo, the previous and next
// difference and Compare with chip; below them the cursor's byte and what the last command had
// to say. Each command has its key: Ctrl+G, Ctrl+F, F3 and Shift+F3, Ctrl+Z, Ctrl+Y (or
// Ctrl+Shift+Z), F8 and Shift+F8, F5; Esc closes the view.
class ImageViewWindow : public QWidget {
  public:
    ImageViewWindow(QWidget& owner, ImageEditor& editor, ImageViewCommands commands);

    // Shows the view, or raises it, with the keyboard in the bytes.
    void Open();
    // After the editor or what it shows changed.
    void Refresh();

    HexArea& Bytes() { return *area_; }
    QLineEdit& GoToField() { return *goTo_; }
    QLineEdit& FindField() { return *find_; }
    QString PositionText() const { return position_->text(); }
    QString NoteText() const { return note_->text(); }

  private:
    QAction* Command(const QString& text, const QList<QKeySequence>& keys,
                     const std::function<bool()>& run);
    void Find();
    bool FindAgain(bool backwards);
    void Place();

    ImageEditor& editor_;
    ImageViewCommands commands_;
    HexArea* area_;
    QLineEdit* goTo_;
    QLineEdit* find_;
    QLabel* position_;
    QLabel* note_;
    QAction* undo_ = nullptr;
    QAction* redo_ = nullptr;
    QAction* previousDifference_ = nullptr;
    QAction* nextDifference_ = nullptr;
    QAction* compare_ = nullptr;
    QString searched_;  // what Find last looked for: Enter again finds the next
    bool placed_ = false;
};

}  // namespace korvel
