#include "cli/TerminalHost.h"

#include <algorithm>
#include <cstdio>
#include <utility>

void TerminalHost::ShowStatusTexts(const StatusTexts& texts) {
    if (texts.action == action_) {
        return;  // the same percentage again: the line stays as it is
    }
    action_ = texts.action;
    const std::size_t width = action_.size();
    std::fprintf(stderr, "\r%s%*s", action_.c_str(),
                 static_cast<int>(shownWidth_ > width ? shownWidth_ - width : 0), "");
    shownWidth_ = std::max(width, shownWidth_);
    if (action_ == "Ready.") {
        EndProgressLine();
    }
    std::fflush(stderr);
}

int TerminalHost::ShowMessageBox(const std::string& text, const std::string& title,
                                 unsigned style) {
    EndProgressLine();
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    const bool question = (style & MB_YESNO) != 0;
    std::printf("%s: %s%s\n", title.c_str(), line.c_str(), question ? " yes" : "");
    std::fflush(stdout);
    // Complaints end their first sentence with " !"; a warning lets the work go on.
    if (title == "Error" || (title != "Warning" && text.find(" !") != std::string::npos)) {
        complaint_ = true;
    }
    return question ? IDYES : IDOK;
}

bool TerminalHost::TakeComplaint() {
    return std::exchange(complaint_, false);
}

void TerminalHost::EndProgressLine() {
    if (shownWidth_ > 0) {
        std::fputc('\n', stderr);
        shownWidth_ = 0;
    }
}
