#pragma once

#include <string>
#include <vector>

namespace korvel {

// What a window shows for a drop-down list; the list tells it of every change it makes.
class ComboView {
  public:
    virtual ~ComboView() = default;
    virtual void ShowItems(const std::vector<std::string>& items, int selected) = 0;
};

// A drop-down list: its entries and the selected position, -1 for none. It holds the state
// itself, so that the dialog works the same with and without a window attached.
class CComboBox {
  public:
    explicit CComboBox(bool sorted) : sorted_(sorted) {}

    // Adds an entry (in order of text when the list is sorted) and returns its position.
    int AddString(const std::string& text);
    int GetCount() const { return static_cast<int>(items_.size()); }
    int GetCurSel() const { return selected_; }
    // Selects an entry from the program; a position outside the list clears the selection.
    void SetCurSel(int index);

    // The user picked an entry in the window: the view already shows it, so nothing is echoed.
    void SelectedByUser(int index);
    void Bind(ComboView* view);

  private:
    void Show() const;

    bool sorted_;
    std::vector<std::string> items_;
    int selected_ = -1;
    ComboView* view_ = nullptr;
};

}  // namespace korvel
