#include "window/BusyGuard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace korvel {

namespace {

// Often enough that a desktop never thinks the window hangs, rarely enough to cost nothing.
constexpr qint64 kAnswerIntervalMs = 150;

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::InputMethod:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TouchCancel:
        case QEvent::TabletPress:
        case QEvent::TabletMove:
        case QEvent::TabletRelease:
        case QEvent::NativeGesture:
        case QEvent::Drop:
            return true;
        default:
            return false;
    }
}

}  // namespace

BusyGuard::BusyGuard(QWidget& window, std::function<void()> stopRequest)
    : window_(window), stopRequest_(std::move(stopRequest)) {
    QCoreApplication::instance()->installEventFilter(this);
}

BusyGuard::~BusyGuard() {
    QCoreApplication::instance()->removeEventFilter(this);
}

void BusyGuard::Run(const std::function<void()>& handler) {
    if (busy_) {
        return;
    }
    busy_ = true;
    sinceAnswered_.start();
    handler();
    busy_ = false;
}

void BusyGuard::KeepAnswering() {
    if (busy_ && sinceAnswered_.elapsed() >= kAnswerIntervalMs) {
        QCoreApplication::processEvents();
        sinceAnswered_.start();
    }
}

bool BusyGuard::IsInputToWindow(QObject* target) const {
    if (!target->isWidgetType()) {
        return false;
    }
    const QWidget* top = static_cast<QWidget*>(target)->window();
    if (top == &window_) {
        return true;
    }
    // A list's open drop-down is a window of its own, but it belongs to the list.
    const QWidget* owner = top->parentWidget();
    return top->windowType() == Qt::Popup && owner != nullptr && owner->window() == &window_;
}

bool BusyGuard::TakeStopRequest(QObject* target, QEvent* event) {
    const bool escape = event->type() == QEvent::KeyPress &&
                        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    // The platform's request to close reaches the window's handle first, then the window itself.
    const bool close = event->type() == QEvent::Close && target == &window_;
    if (!escape && !close) {
        return false;
    }
    event->ignore();
    stopRequest_();
    return true;
}

bool BusyGuard::eventFilter(QObject* target, QEvent* event) {
    if (!busy_) {
        return false;
    }
    // Input is dropped where it enters the window already: on its way to a control, Qt would
    // first move the keyboard focus to the control clicked.
    if (target == window_.windowHandle()) {
        return TakeStopRequest(target, event) || IsUserInput(event->type());
    }
    if (!IsInputToWindow(target)) {
        return false;
    }
    if (TakeStopRequest(target, event)) {
        return true;
    }
    if (event->type() == QEvent::Close) {
        event->ignore();
        return true;
    }
    return IsUserInput(event->type());
}

}  // namespace korvel
