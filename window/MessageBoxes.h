#pragma once

#include <QMessageBox>
#include <QPointer>
#include <functional>
#include <string>

namespace korvel {

// What a message box shows for the style flags of the dialog's boxes.
struct MessageBoxLook {
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton;
};
MessageBoxLook LookOfStyle(unsigned style);
// IDOK, IDYES, IDNO or IDCANCEL for the button pressed (Save is IDYES, Discard IDNO).
int AnswerOf(QMessageBox::StandardButton pressed);

// Shows the dialog's message boxes: the window's own, or a test's script.
class MessageBoxPresenter {
  public:
    virtual ~MessageBoxPresenter() = default;
    // Modal to the owner; returns IDOK, IDYES, IDNO or IDCANCEL.
    virtual int Show(QWidget& owner, const std::string& text, const std::string& title,
                     unsigned style) = 0;
    // A yes/no question that returns at once, while the work under way goes on; `answered` gets
    // the answer, unless the question is withdrawn first. A new question withdraws the last.
    virtual void Ask(QWidget& owner, const std::string& text, const std::string& title,
                     unsigned style, std::function<void(int)> answered) = 0;
    virtual void Withdraw() = 0;
};

// Qt's message box, at least as wide as its title needs in a title bar.
class QtMessageBoxPresenter : public MessageBoxPresenter {
  public:
    QtMessageBoxPresenter() = default;
    ~QtMessageBoxPresenter() override;
    QtMessageBoxPresenter(const QtMessageBoxPresenter&) = delete;
    QtMessageBoxPresenter& operator=(const QtMessageBoxPresenter&) = delete;

    int Show(QWidget& owner, const std::string& text, const std::string& title,
             unsigned style) override;
    void Ask(QWidget& owner, const std::string& text, const std::string& title, unsigned style,
             std::function<void(int)> answered) override;
    void Withdraw() override;

  private:
    QPointer<QMessageBox> aside_;  // the question asked aside, while it is open
};

}  // namespace korvel
