#pragma once

#include <QPixmap>
#include <QToolButton>

#include "controls/CCommandButton.h"

namespace korvel {

// The command button on screen: its picture centred above its caption. A click does not take
// the keyboard focus (Tab still reaches it) and goes to the button's proxy, which raises Click.
// With the focus, Space and Enter both press it: Enter does not reach the dialog, which it
// would end.
class CommandButtonWidget : public QToolButton, public ButtonView {
  public:
    CommandButtonWidget(const QString& caption, const QPixmap& picture, QWidget* parent);

    // From now on the proxy's enabled state shows here and clicks go to it; whoever attaches
    // unbinds the proxy before the widget goes.
    void Attach(CCommandButton& proxy);

    void ShowEnabled(bool enabled) override { setEnabled(enabled); }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Enter, on the main keys or the keypad, with no modifier: the key that presses a command
// button, and that ends a dialog.
bool IsPlainEnter(const QKeyEvent& event);

}  // namespace korvel
