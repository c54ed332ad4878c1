#include "window/TemplateDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include "window/CommandButtonWidget.h"
#include "window/Pictures.h"

namespace korvel {

namespace {

Qt::WindowFlags FrameFlags(const DialogTemplate& dialogTemplate) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.minimizeBox) {
        flags |= Qt::WindowMinimizeButtonHint;
    }
    return flags;
}

QLabel* CreateText(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(control.text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap((control.style & kWordWrap) != 0);
    Qt::Alignment alignment = (control.style & kCentered) != 0 ? Qt::AlignHCenter : Qt::AlignLeft;
    alignment |= (control.style & kWordWrap) != 0 ? Qt::AlignTop : Qt::AlignVCenter;
    label->setAlignment(alignment);
    if ((control.style & kSunken) != 0) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    return label;
}

QLabel* CreatePicture(const ControlTemplate& control, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(Picture(control.picture));
    if ((control.style & kSunken) != 0) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
    }
    return label;
}

QComboBox* CreateDropDownList(QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setEditable(false);
    // Open with four entries to see and a scroll bar for the rest; the style sheet makes
    // every style honour the count instead of opening over the whole screen.
    list->setMaxVisibleItems(4);
    list->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    return list;
}

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent, FrameFlags(dialogTemplate)), template_(dialogTemplate), units_(DialogFont()) {
    setFont(DialogFont());
    setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    setFixedSize(units_.ToPixelsX(dialogTemplate.width), units_.ToPixelsY(dialogTemplate.height));

    QWidget* previousStop = nullptr;
    for (std::size_t i = 0; i < dialogTemplate.count; ++i) {
        const ControlTemplate& control = dialogTemplate.controls[i];
        QWidget* widget = Create(control);
        controls_.push_back(widget);
        if ((control.style & kTabStop) == 0) {
            widget->setFocusPolicy(Qt::NoFocus);
        } else if (previousStop != nullptr) {
            QWidget::setTabOrder(previousStop, widget);
        }
        if ((control.style & kTabStop) != 0) {
            previousStop = widget;
        }
    }
}

QWidget* TemplateDialog::Create(const ControlTemplate& control) {
    QWidget* widget = nullptr;
    switch (control.kind) {
        case ControlKind::CommandButton:
            widget = new CommandButtonWidget(QString::fromUtf8(control.text),
                                             PictureIcon(control.picture), this);
            break;
        case ControlKind::DropDownList:
            widget = CreateDropDownList(this);
            break;
        case ControlKind::GroupBox: {
            auto* box = new QGroupBox(QString::fromUtf8(control.text), this);
            box->setAttribute(Qt::WA_TransparentForMouseEvents);
            widget = box;
            break;
        }
        case ControlKind::Text:
            widget = CreateText(control, this);
            break;
        case ControlKind::Picture:
            widget = CreatePicture(control, this);
            break;
        case ControlKind::PushButton: {
            auto* button = new QPushButton(QString::fromUtf8(control.text), this);
            button->setDefault((control.style & kDefaultButton) != 0);
            connect(button, &QPushButton::clicked, this, &QDialog::accept);
            widget = button;
            break;
        }
    }
    const QRect place = units_.ToPixels(control.x, control.y, control.width, control.height);
    if (control.kind == ControlKind::Picture) {
        // A bitmap is shown at its own size, centred in its place whatever a dialog unit
        // measures: the control takes the picture's size.
        QRect picture(QPoint(), widget->sizeHint());
        picture.moveCenter(place.center());
        widget->setGeometry(picture);
    } else {
        widget->setGeometry(place);
    }
    if (control.kind == ControlKind::GroupBox) {
        widget->lower();
    }
    return widget;
}

QWidget* TemplateDialog::Control(int id) const {
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        if (template_.controls[i].id == id && id != 0) {
            return controls_[i];
        }
    }
    return nullptr;
}

void TemplateDialog::done(int result) {
    if (mayClose_ && !mayClose_()) {
        return;
    }
    QDialog::done(result);
}

void TemplateDialog::keyPressEvent(QKeyEvent* event) {
    if (IsPlainEnter(*event)) {
        for (const QPushButton* button : findChildren<QPushButton*>()) {
            if (button->isDefault()) {
                QDialog::keyPressEvent(event);
                return;
            }
        }
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

}  // namespace korvel
