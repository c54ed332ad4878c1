#include "platform/qt/CommandButtonWidget.h"

namespace {

constexpr double kCaptionPointSize = 8.25;
constexpr int kPictureSize = 32;

}  // namespace

CommandButtonWidget::CommandButtonWidget(const QString& caption, const QPixmap& picture,
                                         QWidget* parent)
    : QToolButton(parent) {
    setText(caption);
    setIcon(QIcon(picture));
    setIconSize(QSize(kPictureSize, kPictureSize));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setFocusPolicy(Qt::TabFocus);
    QFont captionFont = font();
    captionFont.setPointSizeF(kCaptionPointSize);
    setFont(captionFont);
}

void CommandButtonWidget::Attach(CCommandButton& proxy) {
    proxy.Bind(this);
    connect(this, &QToolButton::clicked, this, [&proxy] { proxy.Click(); });
}
