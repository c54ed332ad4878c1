#pragma once

#include <QMessageBox>
#include <string>

namespace korvel {

// What a message box shows for the style flags of the dialog's boxes.
struct MessageBoxLook {
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};
MessageBoxLook LookOfStyle(unsigned style);
// IDOK, IDYES or IDNO for the button pressed.
int AnswerOf(QMessageBox::StandardButton pressed);

// Shows the dialog's message boxes: the window's own, or a test's script.
class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    // Modal to the owner; returns IDOK, IDYES or IDNO.
    virtual int Show(QWidget& owner, const std::string& text, const std::string& title,
                     unsigned style) = 0;
};

// Qt's message box, at least as wide as its title needs in a title bar.
class QtMessageBoxPresenter : public MessageBoxPresenter {
  public:
    int Show(QWidget& owner, const std::string& text, const std::string& title,
             unsigned style) override;
};

}  // namespace korvel
