#include "tests/support/RecordingHost.h"

void RecordingHost::ShowStatusTexts(const StatusTexts& texts) {
    pushes.push_back(texts);
}

int RecordingHost::ShowMessageBox(const std::string& text, const std::string& title,
                                  unsigned style) {
    boxes.push_back({text, title, style});
    if (!answers.empty()) {
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return (style & MB_YESNO) != 0 ? IDYES : IDOK;
}

std::vector<std::string> RecordingHost::ActionTexts() const {
    std::vector<std::string> texts;
    for (const StatusTexts& push : pushes) {
        texts.push_back(push.action);
    }
    return texts;
}
