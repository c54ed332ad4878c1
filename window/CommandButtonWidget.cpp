#include "window/CommandButtonWidget.h"

#include <QKeyEvent>

namespace korvel {

namespace {

constexpr double kCaptionPointSize = 8.25;
constexpr int kPictureSize = 32;

}  // namespace

CommandButtonWidget::CommandButtonWidget(const QString& caption, const QIcon& picture,
                                         QWidget* parent)
    : QToolButton(parent) {
    setText(caption);
    setIcon(picture);
    setIconSize(QSize(kPictureSize, kPictureSize));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setFocusPolicy(Qt::TabFocus);
    QFont captionFont = font();
    captionFont.setPointSizeF(kCaptionPointSize);
    setFont(captionFont);
}

void CommandButtonWidget::keyPressEvent(QKeyEvent* event) {
    if (!IsPlainEnter(*event)) {
        QToolButton::keyPressEvent(event);
        return;
    }
    // A held key presses once.
    if (!event->isAutoRepeat()) {
        click();
    }
    event->accept();
}

bool IsPlainEnter(const QKeyEvent& event) {
    const bool enter = event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter;
    return enter && (event.modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace korvel
