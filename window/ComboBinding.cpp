#include "window/ComboBinding.h"

#include <QSignalBlocker>

namespace korvel {

ComboBinding::ComboBinding(QComboBox& widget, CComboBox& list, std::function<void(int)> chosen)
    : widget_(widget), list_(list) {
    QObject::connect(&widget_, &QComboBox::activated, &widget_, std::move(chosen));
    list_.Bind(this);
}

ComboBinding::~ComboBinding() {
    list_.Bind(nullptr);
}

void ComboBinding::ShowItems(const std::vector<std::string>& items, int selected) {
    const QSignalBlocker quiet(widget_);
    widget_.clear();
    for (const std::string& item : items) {
        widget_.addItem(QString::fromStdString(item));
    }
    widget_.setCurrentIndex(selected);
}

}  // namespace korvel
