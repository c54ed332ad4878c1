#include "window/PortTips.h"

#include <QAbstractItemView>
#include <QEvent>

namespace korvel {

namespace {

// The tip for port COMn standing for `port`.
QString PortTip(int number, const PortAssignment& port) {
    if (port.device.empty()) {
        return QStringLiteral("No serial device stands for COM%1 (KORVEL_COM%1 can name one)")
            .arg(number);
    }
    return QString::fromStdString(port.device + " (" + port.detail + ")");
}

}  // namespace

PortTips::PortTips(QComboBox& list, const PortNames& names)
    : QObject(&list), list_(list), names_(names) {
    // The open list is a window of its own, shown afresh each time.
    list_.view()->window()->installEventFilter(this);
}

bool PortTips::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::Show) {
        Refresh();
    }
    return false;
}

void PortTips::Refresh() {
    const std::vector<PortAssignment> ports = names_.Assignments();
    for (int index = 0; index < list_.count() && index < static_cast<int>(ports.size()); ++index) {
        list_.setItemData(index, PortTip(index + 1, ports[static_cast<std::size_t>(index)]),
                          Qt::ToolTipRole);
    }
}

void ShowPortProblem(QComboBox& list, const std::string& problem) {
    list.setToolTip(QString::fromStdString(problem));
}

}  // namespace korvel
