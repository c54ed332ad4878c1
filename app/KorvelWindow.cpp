#include "app/KorvelWindow.h"

#include <QAction>
#include <QComboBox>
#include <QIcon>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/CAboutDlg.h"
#include "resources/ControlIds.h"
#include "window/Pictures.h"
#include "window/PortTips.h"

namespace korvel {

namespace {

// Each button's click and the handler it runs.
struct ButtonRoute {
    int id;
    void (CKorvelDlg::*handler)();
};
constexpr ButtonRoute kButtonRoutes[] = {
    {IDC_BUFFERBUTTON, &CKorvelDlg::OnClickBufferbutton},
    {IDC_OPENBUTTON, &CKorvelDlg::OnClickOpenbutton},
    {IDC_BLANKBUTTON, &CKorvelDlg::OnClickBlankbutton},
    {IDC_SAVEBUTTON, &CKorvelDlg::OnClickSavebutton},
    {IDC_READBUTTON, &CKorvelDlg::OnClickReadbutton},
    {IDC_WRITEBUTTON, &CKorvelDlg::OnClickWritebutton},
    {IDC_ERASEBUTTON, &CKorvelDlg::OnClickErasebutton},
    {IDC_VERIFYBUTTON, &CKorvelDlg::OnClickVerifybutton},
};

// The buttons that detection switches on and off, in the order it does.
constexpr int kDeviceButtonIds[] = {IDC_READBUTTON, IDC_WRITEBUTTON, IDC_VERIFYBUTTON,
                                    IDC_BLANKBUTTON, IDC_ERASEBUTTON};

// Fills a list without raising its handler: only a choice the user makes does.
void Fill(QComboBox& list, const std::vector<std::string>& items) {
    const QSignalBlocker quiet(list);
    for (const std::string& item : items) {
        list.addItem(QString::fromStdString(item));
    }
}

void Select(QComboBox& list, int index) {
    const QSignalBlocker quiet(list);
    list.setCurrentIndex(index);
}

}  // namespace

KorvelWindow::KorvelWindow(const WindowServices& services)
    : window_(kMainDialogTemplate),
      guard_(window_),
      qtFiles_(window_),
      host_(window_, Labels(), DeviceButtons(),
            services.messageBoxes != nullptr ? *services.messageBoxes : qtBoxes_,
            services.fileDialogs != nullptr ? *services.fileDialogs : qtFiles_,
            [this] { guard_.KeepAnswering(); }),
      dlg_(host_) {
    ConnectButtons();
    ConnectLists();

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
    Select(*static_cast<QComboBox*>(window_.Control(IDC_DEVICECOMBO)), dlg_.SelectedDevice());
    Select(*static_cast<QComboBox*>(window_.Control(IDC_PORTCOMBO)), dlg_.SelectedPort());
}

KorvelWindow::~KorvelWindow() {
    OnDestroy();
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

std::vector<QWidget*> KorvelWindow::DeviceButtons() {
    std::vector<QWidget*> buttons;
    for (const int id : kDeviceButtonIds) {
        buttons.push_back(window_.Control(id));
    }
    return buttons;
}

void KorvelWindow::ConnectButtons() {
    for (const ButtonRoute& route : kButtonRoutes) {
        auto* button = static_cast<QToolButton*>(window_.Control(route.id));
        QObject::connect(button, &QToolButton::clicked, &window_, [this, handler = route.handler] {
            guard_.Run([this, handler] { (dlg_.*handler)(); });
        });
    }
}

void KorvelWindow::ConnectLists() {
    auto* devices = static_cast<QComboBox*>(window_.Control(IDC_DEVICECOMBO));
    auto* ports = static_cast<QComboBox*>(window_.Control(IDC_PORTCOMBO));
    Fill(*devices, CKorvelDlg::DeviceNames());
    Fill(*ports, CKorvelDlg::PortNames());
    QObject::connect(devices, &QComboBox::activated, &window_, [this](int index) {
        guard_.Run([this, index] { dlg_.OnSelchangeDeviceCombo(index); });
    });
    QObject::connect(ports, &QComboBox::activated, &window_, [this](int index) {
        guard_.Run([this, index] { dlg_.OnSelchangeCombo1(index); });
    });
    new PortTips(*ports, dlg_.Core().Ports());
}

}  // namespace korvel
