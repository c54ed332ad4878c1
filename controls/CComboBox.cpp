#include "controls/CComboBox.h"

#include <algorithm>

namespace korvel {

int CComboBox::AddString(const std::string& text) {
    auto at = items_.end();
    if (sorted_) {
        at = std::upper_bound(items_.begin(), items_.end(), text);
    }
    const int index = static_cast<int>(at - items_.begin());
    items_.insert(at, text);
    if (selected_ >= index) {
        ++selected_;
    }
    Show();
    return index;
}

void CComboBox::SetCurSel(int index) {
    selected_ = (index >= 0 && index < GetCount()) ? index : -1;
    Show();
}

void CComboBox::SelectedByUser(int index) {
    selected_ = (index >= 0 && index < GetCount()) ? index : -1;
}

void CComboBox::Bind(ComboView* view) {
    view_ = view;
    Show();
}

void CComboBox::Show() const {
    if (view_ != nullptr) {
        view_->ShowItems(items_, selected_);
    }
}

}  // namespace korvel
