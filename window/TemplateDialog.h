#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "resources/DialogTemplates.h"
#include "window/DialogUnits.h"

namespace korvel {

// A dialog built from a template: fixed size, every control at its place in dialog units of
// the dialog font (a picture at its own size, centred in its place), created in template order,
// which is also the tab order. Group boxes and texts take no focus; group boxes stay beneath
// the controls they frame and let clicks through. Enter with no default button accepts, Esc and
// the close box reject; a check, where one is set, may keep the dialog open either way.
class TemplateDialog : public QDialog {
  public:
    explicit TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent = nullptr);

    // Asked before the dialog ends, however it is ended: false keeps it open.
    void SetCloseCheck(std::function<bool()> mayClose) { mayClose_ = std::move(mayClose); }
    void done(int result) override;

    const DialogTemplate& Template() const { return template_; }
    // The control with this identifier, or nullptr.
    QWidget* Control(int id) const;
    // Every control, in template order.
    const std::vector<QWidget*>& Controls() const { return controls_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QWidget* Create(const ControlTemplate& control);

    const DialogTemplate& template_;
    DialogUnits units_;
    std::vector<QWidget*> controls_;
    std::function<bool()> mayClose_;
};

}  // namespace korvel
