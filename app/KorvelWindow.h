#pragma once

#include <memory>

#include "controls/CCommandButton.h"
#include "controls/CCommonDialog1.h"
#include "dialog/KorvelDlg.h"
#include "window/BusyGuard.h"
#include "window/ComboBinding.h"
#include "window/FileDialogBinding.h"
#include "window/MessageBoxes.h"
#include "window/QtDialogHost.h"
#include "window/TemplateDialog.h"

namespace korvel {

// Where the window's message boxes and file dialogs come from; Qt's own where not given.
struct WindowServices {
    MessageBoxPresenter* messageBoxes = nullptr;
    FileDialogView* fileDialogs = nullptr;
};

// The main dialog on screen: template 102 with the dialog object behind it. Every widget event
// reaches exactly its handler, one handler at a time: a button's click goes through its
// command-button proxy to CKorvelDlg::OnClick, a choice in a list to CKorvelDlg::OnSelchange,
// and the window menu's About command to OnSysCommand. Constructing it initialises the dialog
// (hardware detection included) before anything is shown.
class KorvelWindow {
  public:
    explicit KorvelWindow(const WindowServices& services = {});
    ~KorvelWindow();
    KorvelWindow(const KorvelWindow&) = delete;
    KorvelWindow& operator=(const KorvelWindow&) = delete;

    // Runs the window modally until Esc, Enter or the close box ends it.
    void DoModal();

    // The About command (identifier 16 to 31) opens the About box; there is no other.
    void OnSysCommand(unsigned id);
    // The window goes away: the port is released, once.
    void OnDestroy();

    TemplateDialog& Window() { return window_; }
    CKorvelDlg& Dialog() { return dlg_; }
    QtDialogHost& Host() { return host_; }

  private:
    void AttachButtons();
    void AttachLists();
    StatusLabels Labels();
    CCommandButton& ProxyOf(int id);

    TemplateDialog window_;
    BusyGuard guard_;
    QtMessageBoxPresenter qtBoxes_;
    QtFileDialogView qtFiles_;
    QtDialogHost host_;
    CKorvelDlg dlg_;
    // Open, Save and Buffer are never switched off, so the dialog keeps no proxy for them.
    CCommandButton openButton_;
    CCommandButton saveButton_;
    CCommandButton bufferButton_;
    std::unique_ptr<ComboBinding> deviceList_;
    std::unique_ptr<ComboBinding> portList_;
    bool destroyed_ = false;
};

}  // namespace korvel
