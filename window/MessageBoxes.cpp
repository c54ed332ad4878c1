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
    using QMessageBox::QMessageBox;

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
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return IDOK;
    }
}

int QtMessageBoxPresenter::Show(QWidget& owner, const std::string& text, const std::string& title,
                                unsigned style) {
    const MessageBoxLook look = LookOfStyle(style);
    TitledMessageBox box(look.icon, QString::fromStdString(title), QString::fromStdString(text),
                         look.buttons, &owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(look.defaultButton);
    return AnswerOf(static_cast<QMessageBox::StandardButton>(box.exec()));
}

}  // namespace korvel
