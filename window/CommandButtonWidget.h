#pragma once

#include <QIcon>
#include <QToolButton>

namespace korvel {

// The command button on screen: its picture centred above its caption. A click does not take
// the keyboard focus (Tab still reaches it). With the focus, Space and Enter both press it:
// Enter does not reach the dialog, which it would end.
class CommandButtonWidget : public QToolButton {
  public:
    CommandButtonWidget(const QString& caption, const QIcon& picture, QWidget* parent);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Enter, on the main keys or the keypad, with no modifier: the key that presses a command
// button, and that ends a dialog.
bool IsPlainEnter(const QKeyEvent& event);

}  // namespace korvel
