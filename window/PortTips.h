#pragma once

#include <QComboBox>
#include <QObject>

#include "platform/PortMap.h"

namespace korvel {

// The port list keeps its texts COM1 to COM4; each entry's tooltip names the device it stands
// for, or says that none does. The tips are read again each time the list opens, so that an
// adapter plugged in meanwhile shows.
class PortTips : public QObject {
  public:
    PortTips(QComboBox& list, const PortNames& names);

  protected:
    bool eventFilter(QObject* target, QEvent* event) override;

  private:
    void Refresh();

    QComboBox& list_;
    const PortNames& names_;
};

}  // namespace korvel
