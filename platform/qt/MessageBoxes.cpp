#include "platform/qt/MessageBoxes.h"

#include "dialog/DialogHost.h"

namespace {

constexpr unsigned kButtonsMask = 0x0F;
constexpr unsigned kIconMask = 0xF0;

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
    QMessageBox box(look.icon, QString::fromStdString(title), QString::fromStdString(text),
                    look.buttons, &owner);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(look.defaultButton);
    return AnswerOf(static_cast<QMessageBox::StandardButton>(box.exec()));
}
