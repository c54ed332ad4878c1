#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>

namespace korvel {

// Runs the window's handlers one at a time. While one runs, the window keeps answering the
// platform (paint, window-manager pings) through KeepAnswering, but takes no click, key, wheel
// or list change, keeps the keyboard focus where it is and refuses to close: Esc and a request
// to close go to `stopRequest` instead. Message boxes, file dialogs and other windows of the
// program work as usual. A handler asked for while another runs does not run.
class BusyGuard : public QObject {
  public:
    BusyGuard(QWidget& window, std::function<void()> stopRequest);
    ~BusyGuard() override;

    // Runs the handler, unless one is running already.
    void Run(const std::function<void()>& handler);

    // Called often by a running handler: lets pending events through a few times a second.
    void KeepAnswering();

  protected:
    bool eventFilter(QObject* target, QEvent* event) override;

  private:
    bool IsInputToWindow(QObject* target) const;
    // Esc, or a request to close the window: told to stopRequest_. True when the event was one.
    bool TakeStopRequest(QObject* target, QEvent* event);

    QWidget& window_;
    std::function<void()> stopRequest_;
    bool busy_ = false;
    QElapsedTimer sinceAnswered_;
};

}  // namespace korvel
