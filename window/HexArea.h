#pragma once

#include <QAbstractScrollArea>
#include <functional>

#include "dialog/ImageEditor.h"

namespace korvel {

// The image view's bytes: a line of column heads, then a row of 16 bytes a line, with its
// address, the bytes in hex and as text and, where the chip differs, the chip's bytes beside
// them in red; differing bytes on red, the bytes found on yellow, the cursor's byte highlighted
// in its pane and framed in the other. Keys and clicks move the cursor and overwrite; Tab
// switches between the hex and the text pane. What they change is told to `changed`, which
// then has the area refreshed.
class HexArea : public QAbstractScrollArea {
  public:
    HexArea(ImageEditor& editor, std::function<void()> changed, QWidget* parent);

    // After the editor changed: the rows to scroll through, the cursor in sight, painted anew.
    void Refresh();
    // A row as it is painted: "0010  41 42 ...  AB..  FF", with the chip's bytes where it
    // differs.
    QString Line(int row) const;

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    int VisibleRows() const;
    // The cursor moved by a key other than one that types; false for a key that does not move.
    bool MoveByKey(const QKeyEvent& event);
    void PaintRow(QPainter& painter, int row, int y) const;

    ImageEditor& editor_;
    std::function<void()> changed_;
};

}  // namespace korvel
