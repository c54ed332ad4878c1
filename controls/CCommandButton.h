#pragma once

#include <functional>

namespace korvel {

// What a window shows of a command button; the button tells it when its state changes.
class ButtonView {
  public:
    virtual ~ButtonView() = default;
    virtual void ShowEnabled(bool enabled) = 0;
};

// The command button: keeps its enabled state and raises Click, with or without a window.
class CCommandButton {
  public:
    void SetEnabled(bool enabled);
    bool GetEnabled() const { return enabled_; }

    // The handler that Click runs (the dialog's routing of this button).
    void SetClickHandler(std::function<void()> handler) { click_ = std::move(handler); }
    // The user clicked: raises Click once, and only while the button is enabled.
    void Click();

    void Bind(ButtonView* view);

  private:
    bool enabled_ = true;
    std::function<void()> click_;
    ButtonView* view_ = nullptr;
};

}  // namespace korvel
