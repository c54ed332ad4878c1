#include "app/KorvelWindow.h"

#include <QAction>
#include <QComboBox>
#include <QIcon>
#include <QShortcut>
#include <QSignalBlocker>
#include <QToolButton>

#include "app/CAboutDlg.h"
#include "resources/ControlIds.h"
#include "window/Pictures.h"
#include "window/PortTips.h"

namespace korvel {

namespace {

// Each button's click and the handler it runs; the key that clicks it (Ctrl and a letter; none
// for Erase, which no slip of a finger should start) and its tooltip.
struct ButtonRoute {
    int id;
    void (CKorvelDlg::*handler)();
    Qt::Key key;
    const char* tip;
};
constexpr Qt::Key kNoKey = Qt::Key_unknown;
constexpr ButtonRoute kButtonRoutes[] = {
    {IDC_BUFFERBUTTON, &CKorvelDlg::OnClickBufferbutton, Qt::Key_L,
     "Show the buffer as a hex listing"},
    {IDC_OPENBUTTON, &CKorvelDlg::OnClickOpenbutton, Qt::Key_O,
     "Load an image file into the buffer"},
    {IDC_BLANKBUTTON, &CKorvelDlg::OnClickBlankbutton, Qt::Key_B,
     "Check that every byte of the chip is FFh"},
    {IDC_SAVEBUTTON, &CKorvelDlg::OnClickSavebutton, Qt::Key_S, "Save the buffer to a file"},
    {IDC_READBUTTON, &CKorvelDlg::OnClickReadbutton, Qt::Key_R, "Read the chip into the buffer"},
    {IDC_WRITEBUTTON, &CKorvelDlg::OnClickWritebutton, Qt::Key_W, "Write the buffer into the chip"},
    {IDC_ERASEBUTTON, &CKorvelDlg::OnClickErasebutton, kNoKey,
     "Write FFh into every byte of the chip"},
    {IDC_VERIFYBUTTON, &CKorvelDlg::OnClickVerifybutton, Qt::Key_E,
     "Compare the chip with the buffer"},
};

// How a screen reader names the lists, which show only their value ("24C02", "COM2").
struct ListName {
    int id;
    const char* name;
};
constexpr ListName kListNames[] = {{IDC_DEVICECOMBO, "Device"}, {IDC_PORTCOMBO, "Port"}};

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
      guard_(window_, [this] { dlg_.OnStopRequest(); }),
      qtFiles_(window_),
      host_(window_, Labels(), DeviceButtons(),
            services.messageBoxes != nullptr ? *services.messageBoxes : qtBoxes_,
            services.fileDialogs != nullptr ? *services.fileDialogs : qtFiles_,
            [this] { guard_.KeepAnswering(); }),
      dlg_(host_),
      editor_(dlg_.Core(), [this] { dlg_.OnImageEdited(); }) {
    ConnectButtons();
    ConnectLists();
    AddWindowMenu();
    window_.setWindowIcon(PictureIcon("chip"));
    window_.SetCloseCheck([this] {
        bool mayClose = false;
        Guarded([this, &mayClose] { mayClose = dlg_.OnClose(); });
        return mayClose;
    });

    QObject::connect(&window_, &QDialog::finished, &window_, [this] { OnDestroy(); });
    dlg_.OnInitDialog();
    Select(*static_cast<QComboBox*>(window_.Control(IDC_DEVICECOMBO)), dlg_.SelectedDevice());
    Select(*static_cast<QComboBox*>(window_.Control(IDC_PORTCOMBO)), dlg_.SelectedPort());
}

KorvelWindow::~KorvelWindow() {
    delete view_;  // before the editor it shows
    OnDestroy();
}

void KorvelWindow::DoModal() {
    window_.exec();
}

void KorvelWindow::OnSysCommand(unsigned id) {
    if ((id & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg about(&window_);
        about.DoModal();
    } else if ((id & 0xFFF0) == IDM_IMAGEVIEW) {
        OpenImageView();
    }
}

// This desktop gives a program no system menu: its commands sit in the window's context menu
// instead, About and below it Image, which Ctrl+I also opens.
void KorvelWindow::AddWindowMenu() {
    const std::pair<const char*, unsigned> commands[] = {{kAboutMenuText, IDM_ABOUTBOX},
                                                         {kImageMenuText, IDM_IMAGEVIEW}};
    for (const auto& [text, id] : commands) {
        auto* command = new QAction(QString::fromUtf8(text), &window_);
        QObject::connect(command, &QAction::triggered, &window_,
                         [this, id = id] { Guarded([this, id] { OnSysCommand(id); }); });
        window_.addAction(command);
        if (id == IDM_IMAGEVIEW) {
            command->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
        }
    }
    window_.setContextMenuPolicy(Qt::ActionsContextMenu);
}

void KorvelWindow::OpenImageView() {
    if (view_ == nullptr) {
        view_ = new ImageViewWindow(window_, editor_,
                                    {[this] { Guarded([this] { dlg_.OnCompareWithChip(); }); },
                                     [this] { return dlg_.DeviceButtonsEnabled(); }});
    }
    view_->Open();
}

void KorvelWindow::Guarded(const std::function<void()>& handler) {
    guard_.Run([this, &handler] {
        editor_.Lock(true);
        if (view_ != nullptr) {
            view_->Refresh();
        }
        handler();
        editor_.Lock(false);
        editor_.Follow();
        if (view_ != nullptr) {
            view_->Refresh();
        }
    });
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

// A key clicks its button, so that a button switched off takes no key either; the caption stays
// as it is, and the tooltip names the key.
void KorvelWindow::ConnectButtons() {
    for (const ButtonRoute& route : kButtonRoutes) {
        auto* button = static_cast<QToolButton*>(window_.Control(route.id));
        QObject::connect(button, &QToolButton::clicked, &window_, [this, handler = route.handler] {
            Guarded([this, handler] { (dlg_.*handler)(); });
        });
        QString tip = QString::fromUtf8(route.tip);
        if (route.key != kNoKey) {
            const QKeySequence key(Qt::CTRL | route.key);
            auto* shortcut = new QShortcut(key, &window_);
            QObject::connect(shortcut, &QShortcut::activated, button, &QToolButton::click);
            tip += QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')');
        }
        button->setToolTip(tip);
    }
}

void KorvelWindow::ConnectLists() {
    auto* devices = static_cast<QComboBox*>(window_.Control(IDC_DEVICECOMBO));
    auto* ports = static_cast<QComboBox*>(window_.Control(IDC_PORTCOMBO));
    Fill(*devices, CKorvelDlg::DeviceNames());
    Fill(*ports, CKorvelDlg::PortNames());
    QObject::connect(devices, &QComboBox::activated, &window_, [this](int index) {
        Guarded([this, index] { dlg_.OnSelchangeDeviceCombo(index); });
    });
    QObject::connect(ports, &QComboBox::activated, &window_, [this](int index) {
        Guarded([this, index] { dlg_.OnSelchangeCombo1(index); });
    });
    for (const ListName& list : kListNames) {
        window_.Control(list.id)->setAccessibleName(QString::fromUtf8(list.name));
    }
    new PortTips(*ports, dlg_.Core().Ports());
}

}  // namespace korvel
