#include "window/ImageViewWindow.h"

#include <QHBoxLayout>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvel {

namespace {

constexpr int kGap = 8;  // pixels between the main window and the view

QToolButton* ButtonFor(QAction* action, QWidget* parent) {
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

QLabel* FieldLabel(const QString& text, QLineEdit* field, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(field);
    return label;
}

}  // namespace

ImageViewWindow::ImageViewWindow(QWidget& owner, ImageEditor& editor, ImageViewCommands commands)
    : QWidget(&owner, Qt::Window),
      editor_(editor),
      commands_(std::move(commands)),
      area_(new HexArea(
          editor, [this] { Refresh(); }, this)),
      goTo_(new QLineEdit(this)),
      find_(new QLineEdit(this)),
      position_(new QLabel(this)),
      note_(new QLabel(this)) {
    goTo_->setPlaceholderText(QStringLiteral("hex address"));
    goTo_->setAccessibleName(QStringLiteral("Go to"));
    goTo_->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("hex address")) * 3 / 2);
    find_->setPlaceholderText(QStringLiteral("bytes in hex, or text"));
    find_->setAccessibleName(QStringLiteral("Find"));
    note_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    QAction* findPrevious =
        Command(QStringLiteral("Previous"), {QKeySequence(Qt::SHIFT | Qt::Key_F3)},
                [this] { return FindAgain(true); });
    QAction* findNext = Command(QStringLiteral("Next"), {QKeySequence(Qt::Key_F3)},
                                [this] { return FindAgain(false); });
    undo_ = Command(QStringLiteral("Undo"), {QKeySequence(Qt::CTRL | Qt::Key_Z)},
                    [this] { return editor_.Undo(); });
    redo_ = Command(
        QStringLiteral("Redo"),
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
        [this] { return editor_.Redo(); });
    previousDifference_ =
        Command(QStringLiteral("Previous difference"), {QKeySequence(Qt::SHIFT | Qt::Key_F8)},
                [this] { return editor_.PreviousDifference(); });
    nextDifference_ = Command(QStringLiteral("Next difference"), {QKeySequence(Qt::Key_F8)},
                              [this] { return editor_.NextDifference(); });
    // The comparison's box belongs to the main window: the keyboard comes back here after it.
    compare_ = Command(QStringLiteral("Compare with chip"), {QKeySequence(Qt::Key_F5)}, [this] {
        commands_.compare();
        raise();
        activateWindow();
        return true;
    });
    compare_->setToolTip(QStringLiteral("Read the chip and mark every byte that differs (F5)"));
    Command(QStringLiteral("Go to"), {QKeySequence(Qt::CTRL | Qt::Key_G)}, [this] {
        goTo_->setFocus();
        goTo_->selectAll();
        return true;
    });
    Command(QStringLiteral("Find"), {QKeySequence(Qt::CTRL | Qt::Key_F)}, [this] {
        find_->setFocus();
        find_->selectAll();
        return true;
    });
    Command(QStringLiteral("Close"), {QKeySequence(Qt::Key_Escape)}, [this] { return close(); });

    connect(goTo_, &QLineEdit::returnPressed, this, [this] {
        if (editor_.GoTo(goTo_->text().toStdString())) {
            area_->setFocus();
        }
        Refresh();
    });
    connect(find_, &QLineEdit::returnPressed, this, [this] { Find(); });

    auto* search = new QHBoxLayout;
    search->addWidget(FieldLabel(QStringLiteral("&Go to:"), goTo_, this));
    search->addWidget(goTo_);
    search->addSpacing(12);
    search->addWidget(FieldLabel(QStringLiteral("&Find:"), find_, this));
    search->addWidget(find_, 1);
    search->addWidget(ButtonFor(findPrevious, this));
    search->addWidget(ButtonFor(findNext, this));
    auto* commandRow = new QHBoxLayout;
    for (QAction* action : {undo_, redo_}) {
        commandRow->addWidget(ButtonFor(action, this));
    }
    commandRow->addSpacing(12);
    for (QAction* action : {previousDifference_, nextDifference_, compare_}) {
        commandRow->addWidget(ButtonFor(action, this));
    }
    commandRow->addStretch(1);
    auto* status = new QHBoxLayout;
    status->addWidget(position_);
    status->addWidget(note_, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(search);
    layout->addLayout(commandRow);
    layout->addWidget(area_, 1);
    layout->addLayout(status);

    Refresh();
    resize(sizeHint());
}

QAction* ImageViewWindow::Command(const QString& text, const QList<QKeySequence>& keys,
                                  const std::function<bool()>& run) {
    auto* action = new QAction(text, this);
    action->setShortcuts(keys);
    if (!keys.isEmpty()) {
        action->setToolTip(text + QStringLiteral(" (") +
                           keys.front().toString(QKeySequence::NativeText) + QLatin1Char(')'));
    }
    connect(action, &QAction::triggered, this, [this, run] {
        run();
        Refresh();
    });
    addAction(action);
    return action;
}

// What the Find field holds now is looked for first, wherever it was typed since.
bool ImageViewWindow::FindAgain(bool backwards) {
    if (find_->text() != searched_) {
        Find();
        return editor_.FoundLength() > 0;
    }
    return backwards ? editor_.FindPrevious() : editor_.FindNext();
}

void ImageViewWindow::Find() {
    const QString typed = find_->text();
    if (typed == searched_ && editor_.FoundLength() > 0) {
        editor_.FindNext();
    } else {
        editor_.Find(typed.toStdString());
    }
    searched_ = typed;
    Refresh();
}

// The first time beside the main window, on its right where the screen has room, else on its
// left, else at the screen's right edge.
void ImageViewWindow::Place() {
    const QRect owner = parentWidget()->frameGeometry();
    const QRect screen = parentWidget()->screen()->availableGeometry();
    const int right = owner.right() + 1 + kGap;
    const int left = owner.left() - kGap - frameGeometry().width();
    int x = std::max(screen.left(), screen.right() + 1 - frameGeometry().width());
    if (right + frameGeometry().width() <= screen.right() + 1) {
        x = right;
    } else if (left >= screen.left()) {
        x = left;
    }
    move(x, std::max(screen.top(), owner.top()));
}

void ImageViewWindow::Open() {
    Refresh();
    if (!placed_) {
        placed_ = true;
        Place();
    }
    show();
    raise();
    activateWindow();
    area_->setFocus(Qt::OtherFocusReason);
}

void ImageViewWindow::Refresh() {
    const bool unlocked = !editor_.Locked();
    setWindowTitle(QString::fromStdString(editor_.Title()));
    undo_->setEnabled(editor_.CanUndo());
    redo_->setEnabled(editor_.CanRedo());
    const bool differences = !editor_.Differences().empty();
    previousDifference_->setEnabled(differences);
    nextDifference_->setEnabled(differences);
    compare_->setEnabled(unlocked && commands_.canCompare());
    position_->setText(QString::fromStdString(editor_.Position()));
    note_->setText(QString::fromStdString(editor_.Note()));
    area_->updateGeometry();
    // The chip's bytes, once there are any, come into sight.
    const int wanted = sizeHint().width();
    if (isVisible() && width() < wanted) {
        resize(wanted, height());
    }
    area_->Refresh();
}

}  // namespace korvel
