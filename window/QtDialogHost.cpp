#include "window/QtDialogHost.h"

#include "window/PathLine.h"
#include "window/PortTips.h"

namespace korvel {

namespace {

// True when the label's text changed.
bool Show(QLabel& label, const QString& text) {
    if (label.text() == text) {
        return false;
    }
    label.setText(text);
    return true;
}

// A line that ends in a path keeps the file's name in sight however long the path, and holds
// the whole line as its tooltip.
void ShowPathLine(QLabel& label, const QString& line) {
    if (label.toolTip() == line) {
        return;
    }
    label.setToolTip(line);
    const QFontMetrics metrics = label.fontMetrics();
    label.setText(
        ElidePathLine(line, label.contentsRect().width(),
                      [&metrics](const QString& text) { return metrics.horizontalAdvance(text); }));
}

}  // namespace

QtDialogHost::QtDialogHost(QWidget& owner, const StatusLabels& labels,
                           std::vector<QWidget*> deviceButtons, MessageBoxPresenter& boxes,
                           FileChooser& files, std::function<void()> afterPush)
    : owner_(owner),
      labels_(labels),
      deviceButtons_(std::move(deviceButtons)),
      boxes_(boxes),
      files_(files),
      afterPush_(std::move(afterPush)) {
    // One line, shortened in the middle: wrapped, a path would hide its file's name.
    labels_.file->setWordWrap(false);
}

void QtDialogHost::ShowStatusTexts(const StatusTexts& texts) {
    if (Show(*labels_.action, QString::fromStdString(texts.action)) &&
        labels_.action->isVisible()) {
        labels_.action->repaint();
        ++actionRepaints_;
    }
    ShowPathLine(*labels_.file, QString::fromStdString(texts.file));
    Show(*labels_.size, QString::fromStdString(texts.size));
    // The board's bytes are not UTF-8: each shows as one character.
    Show(*labels_.hardware,
         QString::fromLatin1(texts.hardware.data(), static_cast<qsizetype>(texts.hardware.size()))
             .left(kHardwareLineLimit));
    ShowPortProblem(*labels_.ports, texts.portProblem);
    afterPush_();
}

void QtDialogHost::EnableDeviceButtons(bool enabled) {
    for (QWidget* button : deviceButtons_) {
        button->setEnabled(enabled);
    }
}

int QtDialogHost::ShowMessageBox(const std::string& text, const std::string& title,
                                 unsigned style) {
    return boxes_.Show(owner_, text, title, style);
}

void QtDialogHost::AskAside(const std::string& text, const std::string& title, unsigned style,
                            std::function<void(int)> answered) {
    boxes_.Ask(owner_, text, title, style, std::move(answered));
}

void QtDialogHost::WithdrawAside() {
    boxes_.Withdraw();
}

std::string QtDialogHost::ChooseFileToOpen(const std::vector<FileFilter>& filters) {
    return files_.ChooseFileToOpen(filters);
}

std::string QtDialogHost::ChooseFileToSave(const std::vector<FileFilter>& filters) {
    return files_.ChooseFileToSave(filters);
}

}  // namespace korvel
