#pragma once

#include "dialog/ImageEditor.h"
#include "dialog/KorvelDlg.h"
#include "window/BusyGuard.h"
#include "window/FileDialogs.h"
#include "window/ImageViewWindow.h"
#include "window/MessageBoxes.h"
#include "window/QtDialogHost.h"
#include "window/TemplateDialog.h"

namespace korvel {

// Where the window's message boxes and file dialogs come from; Qt's own where not given.
struct WindowServices {
    MessageBoxPresenter* messageBoxes = nullptr;
    FileChooser* fileDialogs = nullptr;
};

// The main dialog on screen: template 102 with its presenter behind it. Every widget event
// reaches exactly its handler, one handler at a time: a button's click (or its key, Ctrl and a
// letter), a choice in a list, and the window menu's About and Image commands. Closing the window
// asks the presenter first; Esc or the close box during an operation asks it whether to stop.
// The image view, made when first opened, follows the image after every handler and edits
// nothing while one runs. Constructing it initialises the presenter (hardware detection
// included) before anything is shown.
class KorvelWindow {
  public:
    explicit KorvelWindow(const WindowServices& services = {});
    ~KorvelWindow();
    KorvelWindow(const KorvelWindow&) = delete;
    KorvelWindow& operator=(const KorvelWindow&) = delete;

    // Runs the window modally until Esc, Enter or the close box ends it.
    void DoModal();

    // The About command (identifier 16 to 31) opens the About box, the Image command (32 to 47)
    // the image view; there is no other.
    void OnSysCommand(unsigned id);
    // The window goes away: the port is released, once.
    void OnDestroy();

    TemplateDialog& Window() { return window_; }
    CKorvelDlg& Dialog() { return dlg_; }
    QtDialogHost& Host() { return host_; }
    // The image view, once it has been opened; nullptr before.
    ImageViewWindow* ImageView() { return view_; }

  private:
    void ConnectButtons();
    void ConnectLists();
    void AddWindowMenu();
    // Runs a handler through the busy guard, with the image view locked meanwhile and following
    // the image afterwards.
    void Guarded(const std::function<void()>& handler);
    void OpenImageView();
    StatusLabels Labels();
    std::vector<QWidget*> DeviceButtons();

    TemplateDialog window_;
    BusyGuard guard_;
    QtMessageBoxPresenter qtBoxes_;
    QtFileChooser qtFiles_;
    QtDialogHost host_;
    CKorvelDlg dlg_;
    ImageEditor editor_;
    ImageViewWindow* view_ = nullptr;  // a child of the window
    bool destroyed_ = false;
};

}  // namespace korvel
