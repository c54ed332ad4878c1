#include "window/MessageBoxes.h"

#include <QEvent>
#include <QFontDatabase>
#include <QStyle>

#include "dialog/DialogHost.h"

namespace korvel {

namespace {

constexpr unsigned kButtonsMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

// The window icon and the minimise, maximise and close buttons of a title bar.
constexpr int kTitleBarButtons = 4;

// A message box never narrower than its title needs in the title bar: a box sized for its text
// alone ("Verify ok") leaves the window manager no room to show the title ("Verify").
class TitledMessageBox : public QMessageBox {
  public:
    TitledMessageBox(QWidget* owner, const std::string& text, const std::string& title,
                     unsigned style)
        : TitledMessageBox(owner, text, title, LookOfStyle(style)) {}

  protected:
    bool event(QEvent* event) override {
        const bool handled = QMessageBox::event(event);
        // The box sizes itself on these, to its text.
        if (event->type() == QEvent::Show || event->type() == QEvent::LayoutRequest) {
            KeepRoomForTitle();
        }
        return handled;
    }

  private:
    TitledMessageBox(QWidget* owner, const std::string& text, const std::string& title,
                     const MessageBoxLook& look)
        : QMessageBox(look.icon, QString::fromStdString(title), QString::fromStdString(text),
                      look.buttons, owner) {
        setTextFormat(Qt::PlainText);
        setDefaultButton(look.defaultButton);
    }

    void KeepRoomForTitle() {
        // Window managers often draw titles in bold, the wider face: the title fits either way.
        QFont titleFont = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        titleFont.setBold(true);
        const int buttonSide = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
        const int frame = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
        const int needed = QFontMetrics(titleFont).horizontalAdvance(windowTitle()) +
                           kTitleBarButtons * buttonSide + 2 * frame;
        if (width() < needed) {
            setFixedWidth(needed);
        }
    }
};

}  // namespace

MessageBoxLook LookOfStyle(unsigned style) {
    MessageBoxLook look{QMessageBox::NoIcon, QMessageBox::Ok, QMessageBox::Ok};
    if ((style & kButtonsMask) == MB_YESNO) {
        look.buttons = QMessageBox::Yes | QMessageBox::No;
        look.defaultButton = QMessageBox::Yes;
    } else if ((style & kButtonsMask) == MB_SAVEDISCARDCANCEL) {
        look.buttons = QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
        look.defaultButton = QMessageBox::Save;
    }
    switch (style & kIconMask) {
        case MB_ICONSTOP:
            look.icon = QMessageBox::Critical;
            break;
        case MB_ICONEXCLAMATION:
            look.icon = QMessageBox::Warning;
            break;
        default:
            break;
    }
    return look;
}

int AnswerOf(QMessageBox::StandardButton pressed) {
    switch (pressed) {
        case QMessageBox::Yes:
        case QMessageBox::Save:
            return IDYES;
        case QMessageBox::No:
        case QMessageBox::Discard:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:
            return IDOK;
    }
}

QtMessageBoxPresenter::~QtMessageBoxPresenter() {
    Withdraw();
}

int QtMessageBoxPresenter::Show(QWidget& owner, const std::string& text, const std::string& title,
                                unsigned style) {
    TitledMessageBox box(&owner, text, title, style);
    return AnswerOf(static_cast<QMessageBox::StandardButton>(box.exec()));
}

// The box is modal to its owner only, and shown without a loop of its own: the work under way
// goes on, and lets the box's events through as it lets the window's.
void QtMessageBoxPresenter::Ask(QWidget& owner, const std::string& text, const std::string& title,
                                unsigned style, std::function<void(int)> answered) {
    Withdraw();
    aside_ = new TitledMessageBox(&owner, text, title, style);
    aside_->setAttribute(Qt::WA_DeleteOnClose);
    aside_->setWindowModality(Qt::WindowModal);
    QObject::connect(aside_, &QMessageBox::finished, aside_,
                     [answered = std::move(answered)](int pressed) {
                         answered(AnswerOf(static_cast<QMessageBox::StandardButton>(pressed)));
                     });
    aside_->show();
}

void QtMessageBoxPresenter::Withdraw() {
    if (aside_ != nullptr) {
        QObject::disconnect(aside_, &QMessageBox::finished, nullptr, nullptr);
        aside_->close();
        aside_ = nullptr;
    }
}

}  // namespace korvel
