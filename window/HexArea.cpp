#include "window/HexArea.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

namespace korvel {

namespace {

// Where the columns start, in characters: the address, the hex bytes, the text, the chip's
// bytes.
constexpr int kHexStart = 6;
constexpr int kTextStart = kHexStart + 3 * kRowBytes + 1;
constexpr int kChipStart = kTextStart + kRowBytes + 2;
constexpr int kLineWidth = kChipStart + 3 * kRowBytes;
constexpr int kMargin = 4;  // pixels around the lines

const QColor kDiffersGround(0xFF, 0xC8, 0xC8);
const QColor kChipInk(0xC0, 0x00, 0x00);
const QColor kFoundGround(0xFF, 0xF0, 0x90);

QString Heads() {
    QString hex;
    for (int i = 0; i < kRowBytes; ++i) {
        hex += QStringLiteral("%1 ").arg(i, 2, 16, QLatin1Char('0')).toUpper();
        if (i == kRowBytes / 2 - 1) {
            hex += QLatin1Char(' ');
        }
    }
    return QString(kHexStart, QLatin1Char(' ')) + hex + QLatin1Char(' ') +
           QStringLiteral("Text").leftJustified(kRowBytes + 2) + QStringLiteral("Chip");
}

}  // namespace

HexArea::HexArea(ImageEditor& editor, std::function<void()> changed, QWidget* parent)
    : QAbstractScrollArea(parent), editor_(editor), changed_(std::move(changed)) {
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAccessibleName(QStringLiteral("Image bytes"));
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setCursor(Qt::IBeamCursor);
}

QString HexArea::Line(int row) const {
    const ImageRow shown = editor_.Row(row);
    QString line = QString::fromStdString(shown.address + "  " + shown.hex + "  " + shown.text);
    if (!shown.chip.empty()) {
        line += QStringLiteral("  ") + QString::fromStdString(shown.chip);
    }
    return line;
}

QSize HexArea::sizeHint() const {
    const QFontMetrics metrics(font());
    const int columns = editor_.Differences().empty() ? kChipStart - 2 : kLineWidth;
    return {columns * metrics.horizontalAdvance(QLatin1Char('0')) + 2 * kMargin +
                verticalScrollBar()->sizeHint().width() + 2 * frameWidth(),
            25 * metrics.height() + 2 * kMargin + 2 * frameWidth()};
}

int HexArea::VisibleRows() const {
    return std::max(1, (viewport()->height() - 2 * kMargin) / fontMetrics().height() - 1);
}

void HexArea::Refresh() {
    const int first = editor_.Cursor() / kRowBytes;
    QScrollBar* rows = verticalScrollBar();
    rows->setRange(0, std::max(0, editor_.Rows() - VisibleRows()));
    rows->setPageStep(VisibleRows());
    if (first < rows->value()) {
        rows->setValue(first);
    } else if (first >= rows->value() + VisibleRows()) {
        rows->setValue(first - VisibleRows() + 1);
    }
    const int charWidth = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int columns = editor_.Differences().empty() ? kChipStart - 2 : kLineWidth;
    horizontalScrollBar()->setRange(
        0, std::max(0, columns * charWidth + 2 * kMargin - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    viewport()->update();
}

void HexArea::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    Refresh();
}

bool HexArea::focusNextPrevChild(bool) {
    return false;  // Tab switches panes
}

void HexArea::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.translate(kMargin - horizontalScrollBar()->value(), kMargin);
    const QFontMetrics metrics(font());
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(0, metrics.ascent(), Heads());
    const int first = verticalScrollBar()->value();
    for (int row = first; row < editor_.Rows() && row <= first + VisibleRows(); ++row) {
        PaintRow(painter, row, (row - first + 1) * metrics.height());
    }
}

void HexArea::PaintRow(QPainter& painter, int row, int y) const {
    const QFontMetrics metrics(font());
    const int w = metrics.horizontalAdvance(QLatin1Char('0'));
    const int h = metrics.height();
    const ImageRow shown = editor_.Row(row);
    const QPalette& colours = palette();
    const auto text = [&](int column, const std::string& chars, const QColor& ink) {
        painter.setPen(ink);
        painter.drawText(column * w, y + metrics.ascent(), QString::fromStdString(chars));
    };
    text(0, shown.address, colours.color(QPalette::PlaceholderText));
    for (int i = 0; i < kRowBytes; ++i) {
        const int address = row * kRowBytes + i;
        const QRect hexCell((kHexStart + HexColumn(i)) * w, y, 2 * w, h);
        const QRect textCell((kTextStart + i) * w, y, w, h);
        const bool found =
            address >= editor_.FoundAt() && address < editor_.FoundAt() + editor_.FoundLength();
        QColor ground;
        if (editor_.Differs(address)) {
            ground = kDiffersGround;
        } else if (found) {
            ground = kFoundGround;
        }
        QColor ink = colours.color(QPalette::Text);
        const bool cursor = address == editor_.Cursor();
        const bool inHex = editor_.ActivePane() == ImageEditor::Pane::Hex;
        for (const auto& [cell, active] : {std::pair{hexCell, inHex}, {textCell, !inHex}}) {
            if (cursor && active) {
                painter.fillRect(cell, colours.color(QPalette::Highlight));
            } else if (ground.isValid()) {
                painter.fillRect(cell, ground);
            }
            if (cursor && !active) {
                painter.setPen(colours.color(QPalette::Highlight));
                painter.drawRect(cell.adjusted(0, 0, -1, -1));
            }
        }
        const QColor cursorInk = colours.color(QPalette::HighlightedText);
        text(kHexStart + HexColumn(i), shown.hex.substr(static_cast<std::size_t>(HexColumn(i)), 2),
             cursor && inHex ? cursorInk : ink);
        text(kTextStart + i, shown.text.substr(static_cast<std::size_t>(i), 1),
             cursor && !inHex ? cursorInk : ink);
        if (cursor && inHex) {
            // The digit that the next key overwrites.
            const int digit = kHexStart + HexColumn(i) + (editor_.OnLowDigit() ? 1 : 0);
            painter.fillRect(digit * w, y + h - 2, w, 2, cursorInk);
        }
    }
    if (!shown.chip.empty()) {
        text(kChipStart, shown.chip, kChipInk);
    }
}

bool HexArea::MoveByKey(const QKeyEvent& event) {
    const int cursor = editor_.Cursor();
    const int inRow = cursor % kRowBytes;
    const bool control = (event.modifiers() & Qt::ControlModifier) != 0;
    switch (event.key()) {
        case Qt::Key_Left:
            editor_.MoveBy(-1);
            return true;
        case Qt::Key_Right:
            editor_.MoveBy(1);
            return true;
        case Qt::Key_Up:
            editor_.MoveBy(-kRowBytes);
            return true;
        case Qt::Key_Down:
            editor_.MoveBy(kRowBytes);
            return true;
        case Qt::Key_PageUp:
            editor_.MoveBy(-kRowBytes * VisibleRows());
            return true;
        case Qt::Key_PageDown:
            editor_.MoveBy(kRowBytes * VisibleRows());
            return true;
        case Qt::Key_Home:
            editor_.MoveTo(control ? 0 : cursor - inRow);
            return true;
        case Qt::Key_End:
            editor_.MoveTo(control ? editor_.Size() - 1 : cursor - inRow + kRowBytes - 1);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            editor_.ChoosePane(editor_.ActivePane() == ImageEditor::Pane::Hex
                                   ? ImageEditor::Pane::Text
                                   : ImageEditor::Pane::Hex);
            return true;
        default:
            return false;
    }
}

void HexArea::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool plain = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0;
    if (MoveByKey(*event)) {
        // moved
    } else if (plain && typed.size() == 1 && typed[0].unicode() >= 0x20 &&
               typed[0].unicode() <= 0x7E) {
        editor_.Type(static_cast<char>(typed[0].unicode()));
    } else {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
    changed_();
}

void HexArea::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    const QFontMetrics metrics(font());
    const int w = metrics.horizontalAdvance(QLatin1Char('0'));
    const QPoint at =
        event->position().toPoint() - QPoint(kMargin - horizontalScrollBar()->value(), kMargin);
    const int row = verticalScrollBar()->value() + at.y() / metrics.height() - 1;
    const int column = at.x() / w;
    if (at.y() < metrics.height() || row >= editor_.Rows() || column < kHexStart) {
        return;
    }
    int index = -1;
    ImageEditor::Pane pane = ImageEditor::Pane::Hex;
    if (column >= kTextStart && column < kTextStart + kRowBytes) {
        index = column - kTextStart;
        pane = ImageEditor::Pane::Text;
    }
    for (int i = 0; i < kRowBytes && index < 0; ++i) {
        if (column - kHexStart >= HexColumn(i) && column - kHexStart < HexColumn(i) + 2) {
            index = i;
        }
    }
    if (index < 0) {
        return;
    }
    editor_.ChoosePane(pane);
    editor_.MoveTo(row * kRowBytes + index);
    changed_();
}

}  // namespace korvel
