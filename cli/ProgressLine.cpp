#include "cli/ProgressLine.h"

#include <algorithm>
#include <cstdio>

#include "programmer/FormatText.h"
#include "programmer/Messages.h"

namespace korvel {

namespace {

std::string Minutes(std::chrono::steady_clock::duration time) {
    const long seconds =
        static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(time).count());
    return FormatText("%ld:%02ld", seconds / 60, seconds % 60);
}

}  // namespace

void ProgressLine::Show(const std::string& action, int percent) {
    if (action == action_) {
        return;
    }
    action_ = action;
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

void ProgressLine::ShowOnTerminal(int percent) {
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
        Break();
    }
    std::fflush(stderr);
}

void ProgressLine::ShowInLog(int percent) {
    if (percent / 10 > loggedTenths_) {
        loggedTenths_ = percent / 10;
        std::fprintf(stderr, "%s\n", action_.c_str());
    }
}

void ProgressLine::Break() {
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
