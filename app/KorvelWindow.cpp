#include "app/KorvelWindow.h"

#include <QAction>
#include <QComboBox>
#include <QIcon>

#include "app/CAboutDlg.h"
#include "dialog/ControlIds.h"
#include "window/CommandButtonWidget.h"
#include "window/Pictures.h"
#include "window/PortTips.h"

namespace korvel {

namespace {

constexpr int kButtonIds[] = {IDC_OPENBUTTON,  IDC_SAVEBUTTON,  IDC_READBUTTON,   IDC_WRITEBUTTON,
                              IDC_BLANKBUTTON, IDC_ERASEBUTTON, IDC_VERIFYBUTTON, IDC_BUFFERBUTTON};

}  // namespace

KorvelWindow::KorvelWindow(const WindowServices& services)
    : window_(kMainDialogTemplate),
      guard_(window_),
      qtFiles_(window_),
      host_(window_, Labels(), services.messageBoxes != nullptr ? *services.messageBoxes : qtBoxes_,
            [this] { guard_.KeepAnswering(); }),
      dlg_(host_) {
    AttachButtons();
    AttachLists();
    dlg_.m_FileDialog.Bind(services.fileDialogs != nullptr ? services.fileDialogs : &qtFiles_);

    // This desktop gives a program no system menu: the About command sits in the window's
    // context menu instead.
    auto* about = new QAction(QString::fromUtf8(kAboutMenuText), &window_);
    QObject::connect(about, &QAction::triggered, &window_,
                     [this] { guard_.Run([this] { OnSysCommand(IDM_ABOUTBOX); }); });
    window_.addAction(about);
    window_.setContextMenuPolicy(Qt::ActionsContextMenu);
    window_.setWindowIcon(QIcon(Picture("chip")));

    QObject::connect(&window_, &QDialog::finished, &window_, [this] { OnDestroy(); });
    dlg_.OnInitDialog();
}

KorvelWindow::~KorvelWindow() {
    OnDestroy();
    // The widgets go before the proxies that show in them.
    for (const int id : kButtonIds) {
        ProxyOf(id).Bind(nullptr);
    }
    dlg_.m_FileDialog.Bind(nullptr);
}

void KorvelWindow::DoModal() {
    window_.exec();
}

void KorvelWindow::OnSysCommand(unsigned id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(&window_);
        about.DoModal();
    }
}

void KorvelWindow::OnDestroy() {
    if (!destroyed_) {
        destroyed_ = true;
        dlg_.OnDestroy();
    }
}

StatusLabels KorvelWindow::Labels() {
    return {static_cast<QLabel*>(window_.Control(IDC_STATUS)),
            static_cast<QLabel*>(window_.Control(IDC_FILELINE)),
            static_cast<QLabel*>(window_.Control(IDC_SIZELINE)),
            static_cast<QLabel*>(window_.Control(IDC_HWSTAT)),
            static_cast<QComboBox*>(window_.Control(IDC_PORTCOMBO))};
}

CCommandButton& KorvelWindow::ProxyOf(int id) {
    switch (id) {
        case IDC_READBUTTON:
            return dlg_.m_ReadButton;
        case IDC_WRITEBUTTON:
            return dlg_.m_WriteButton;
        case IDC_BLANKBUTTON:
            return dlg_.m_BlankButton;
        case IDC_ERASEBUTTON:
            return dlg_.m_EraseButton;
        case IDC_VERIFYBUTTON:
            return dlg_.m_VerifyButton;
        case IDC_SAVEBUTTON:
            return saveButton_;
        case IDC_BUFFERBUTTON:
            return bufferButton_;
        case IDC_OPENBUTTON:
        default:
            return openButton_;
    }
}

void KorvelWindow::AttachButtons() {
    for (const int id : kButtonIds) {
        CCommandButton& proxy = ProxyOf(id);
        proxy.SetClickHandler([this, id] { guard_.Run([this, id] { dlg_.OnClick(id); }); });
        static_cast<CommandButtonWidget*>(window_.Control(id))->Attach(proxy);
    }
}

void KorvelWindow::AttachLists() {
    const auto attach = [this](int id, CComboBox& list) {
        auto* widget = static_cast<QComboBox*>(window_.Control(id));
        return std::make_unique<ComboBinding>(*widget, list, [this, id, &list](int index) {
            guard_.Run([this, id, &list, index] {
                list.SelectedByUser(index);
                dlg_.OnSelchange(id);
            });
        });
    };
    deviceList_ = attach(IDC_DEVICECOMBO, dlg_.m_DeviceCombo);
    portList_ = attach(IDC_PORTCOMBO, dlg_.m_PortCombo);
    new PortTips(*static_cast<QComboBox*>(window_.Control(IDC_PORTCOMBO)), dlg_.portNames);
}

}  // namespace korvel
