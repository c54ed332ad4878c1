#pragma once

#include <QComboBox>
#include <functional>

#include "controls/CComboBox.h"

namespace korvel {

// Shows a headless drop-down list in a QComboBox. Only a choice the user makes comes back (the
// `activated` signal); what the program selects is shown with the signals blocked.
class ComboBinding : public ComboView {
  public:
    // `chosen` runs with the position the user picked.
    ComboBinding(QComboBox& widget, CComboBox& list, std::function<void(int)> chosen);
    ~ComboBinding() override;
    ComboBinding(const ComboBinding&) = delete;
    ComboBinding& operator=(const ComboBinding&) = delete;

    void ShowItems(const std::vector<std::string>& items, int selected) override;

  private:
    QComboBox& widget_;
    CComboBox& list_;
};

}  // namespace korvel
