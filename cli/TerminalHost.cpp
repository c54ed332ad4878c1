#include "cli/TerminalHost.h"

#include <algorithm>
#include <cstdio>

#include "dialog/TextFormat.h"

namespace korvel {

namespace {

// The percentage of a progress text such as "Reading... 42% done", or -1 for any other text.
int PercentOf(const std::string& action) {
    const std::size_t verbEnd = action.find("... ");
    int percent = -1;
    int consumed = 0;
    if (verbEnd == std::string::npos ||
        std::sscanf(action.c_str() + verbEnd + 4, "%d%% done%n", &percent, &consumed) != 1 ||
        verbEnd + 4 + static_cast<std::size_t>(consumed) != action.size()) {
        return -1;
    }
    return percent;
}

std::string Minutes(std::chrono::steady_clock::duration time) {
    const long seconds =
        static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(time).count());
    return FormatText("%ld:%02ld", seconds / 60, seconds % 60);
}

}  // namespace

void TerminalHost::ShowStatusTexts(const StatusTexts& texts) {
    if (texts.action == action_) {
        return;  // the same percentage again: the line stays as it is
    }
    action_ = texts.action;
    const int percent = PercentOf(action_);
    if (percent >= 0 && !running_) {
        running_ = true;
        started_ = Clock::now();
        loggedTenths_ = 0;
    }
    if (onTerminal_) {
        ShowOnTerminal(percent);
    } else {
        ShowInLog(percent);
    }
    if (action_ == kReadyText) {
        running_ = false;
    }
}

void TerminalHost::ShowOnTerminal(int percent) {
    std::string line = action_;
    if (percent > 0) {
        const Clock::duration taken = Clock::now() - started_;
        line += ", " + Minutes(taken) + " taken, " + Minutes(taken * (100 - percent) / percent) +
                " left";
    }
    std::fprintf(stderr, "\r%s%*s", line.c_str(),
                 static_cast<int>(shownWidth_ > line.size() ? shownWidth_ - line.size() : 0), "");
    shownWidth_ = std::max(line.size(), shownWidth_);
    if (action_ == kReadyText) {
        EndProgressLine();
    }
    std::fflush(stderr);
}

void TerminalHost::ShowInLog(int percent) {
    if (percent / 10 > loggedTenths_) {
        loggedTenths_ = percent / 10;
        std::fprintf(stderr, "%s\n", action_.c_str());
    }
}

int TerminalHost::ShowMessageBox(const std::string& text, const std::string& title,
                                 unsigned style) {
    EndProgressLine();
    std::string line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    const bool question = (style & MB_YESNO) != 0;
    std::printf("%s: %s%s\n", title.c_str(), line.c_str(), question ? " yes" : "");
    return question ? IDYES : IDOK;
}

void TerminalHost::EndProgressLine() {
    if (shownWidth_ > 0) {
        std::fputc('\n', stderr);
        shownWidth_ = 0;
    }
}

std::string Printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        shown += byte >= 0x20 && byte <= 0x7E ? std::string(1, c) : FormatText("\\x%02X", byte);
    }
    return shown;
}

}  // namespace korvel
