#pragma once

#include <QComboBox>
#include <QObject>
#include <string>

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

// The port list's own tooltip: why the chosen port could not be opened, which the hardware line
// does not say ("Can't open port") and standard error, unseen when the program was started
// from the desktop's menu, does; no tooltip while the port is open.
void ShowPortProblem(QComboBox& list, const std::string& problem);

}  // namespace korvel
