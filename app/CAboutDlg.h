#pragma once

#include "window/TemplateDialog.h"

namespace korvel {

// The About box, template 100: the program's name, its logotype and where to reach its
// authors. OK, Enter, Esc and the close box all close it.
class CAboutDlg {
  public:
    explicit CAboutDlg(QWidget* owner) : window_(kAboutDialogTemplate, owner) {}

    void DoModal() { window_.exec(); }
    TemplateDialog& Window() { return window_; }

  private:
    TemplateDialog window_;
};

}  // namespace korvel
