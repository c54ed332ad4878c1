#include "controls/CCommandButton.h"

namespace korvel {

void CCommandButton::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (view_ != nullptr) {
        view_->ShowEnabled(enabled_);
    }
}

void CCommandButton::Click() {
    if (enabled_ && click_) {
        click_();
    }
}

void CCommandButton::Bind(ButtonView* view) {
    view_ = view;
    if (view_ != nullptr) {
        view_->ShowEnabled(enabled_);
    }
}

}  // namespace korvel
