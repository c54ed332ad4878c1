// The buffer listing: its text against golden files, and the Buffer button on real files with a
// recording viewer.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "dialog/KorvelDlg.h"
#include "dialog/ListingText.h"
#include "platform/TemporaryDirectory.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RecordingHost.h"
#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The first line that differs, with its number; empty when the texts are equal.
std::string FirstDifference(const std::string& actual, const std::string& expected) {
    if (actual == expected) {
        return {};
    }
    const std::vector<std::string> a = Lines(actual), e = Lines(expected);
    for (std::size_t i = 0;; ++i) {
        const std::string lineA = i < a.size() ? a[i] : "(none)";
        const std::string lineE = i < e.size() ? e[i] : "(none)";
        if (lineA != lineE || i >= a.size()) {
            return "line " + std::to_string(i + 1) + ": " + lineA + " | expected " + lineE;
        }
    }
}

std::tm At(int year, int month, int day, int hour, int minute, int second, int weekday) {
    std::tm when{};
    when.tm_year = year - 1900;
    when.tm_mon = month - 1;
    when.tm_mday = day;
    when.tm_hour = hour;
    when.tm_min = minute;
    when.tm_sec = second;
    when.tm_wday = weekday;
    return when;
}

TEST(ListingText, MatchesTheGoldenListings) {
    std::vector<std::uint8_t> image(kImageBufferSize, 0xFF);
    for (int i = 0; i < 256; ++i) {
        image[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    }
    const char format[] = "%s%n";
    std::copy(format, format + 4, image.begin() + 0xF0);
    EXPECT_EQ(FirstDifference(BufferListingText("/home/ann/images/50%s.bin", "24C02", image.data(),
                                                256, At(2024, 3, 5, 9, 7, 3, 2)),
                              ReadText(KORVEL_GOLDEN_DIR "/listing-24c02.txt")),
              "");

    image.assign(kImageBufferSize, 0xFF);
    EXPECT_EQ(FirstDifference(BufferListingText("[buffer]", "24C00", image.data(), 16,
                                                At(2023, 12, 31, 23, 59, 59, 0)),
                              ReadText(KORVEL_GOLDEN_DIR "/listing-24c00.txt")),
              "");

    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
    }
    const std::string large = BufferListingText("/tmp/large.bin", "24C256", image.data(), 32768,
                                                At(1970, 1, 1, 0, 0, 0, 4));
    EXPECT_EQ(FirstDifference(large, ReadText(KORVEL_GOLDEN_DIR "/listing-24c256.txt")), "");
    EXPECT_EQ(std::count(large.begin(), large.end(), '\n'), 6 + 2048);
}

TEST(ListingDirectory, TempThenTmpdirThenTmpRecordedAtInitialisation) {
    const std::string tmpdir = std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "";
    setenv("TEMP", "/korvel/temp", 1);
    setenv("TMPDIR", "/korvel/tmpdir", 1);
    setenv("KORVEL_COM2", "/dev/korvel-no-such-port", 1);
    RecordingHost host;
    CKorvelDlg dlg(host);
    dlg.OnInitDialog();
    EXPECT_EQ(dlg.tempdir, "/korvel/temp");
    setenv("TEMP", "", 1);
    EXPECT_EQ(korvel::TemporaryDirectory(), "/korvel/tmpdir");
    unsetenv("TEMP");
    unsetenv("TMPDIR");
    EXPECT_EQ(korvel::TemporaryDirectory(), "/tmp");
    unsetenv("KORVEL_COM2");
    if (!tmpdir.empty()) {
        setenv("TMPDIR", tmpdir.c_str(), 1);
    }
}

bool AppearsSoon(const std::string& path) {
    for (int wait = 0; wait < 200 && !fs::exists(path); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return fs::exists(path);
}

bool NoChildLeft() {
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

struct BufferButton : ::testing::Test {
    BufferButton() {
        fs::create_directory(temp);
        dlg.tempdir = temp.string();
        dlg.filename = "[buffer]";
        dlg.eebuf.fill(0xFF);
        dlg.device = 2;
        dlg.eebufsize = 256;
        // Records its pid, its parent and its arguments, then lives until the test releases it.
        std::ofstream(dir.File("viewer"))
            << "#!/bin/sh\n"
            << "cd '" << dir.path().string() << "'\n"
            << "printf '%s %s %s\\n%s' $$ $PPID $# \"$1\" > args.tmp\n"
            << "mv args.tmp args\n"
            << "i=0; while [ ! -e release ] && [ $i -lt 200 ]; do\n"
            << "  sleep 0.05; i=$((i + 1))\n"
            << "done\n"
            << ": > ended\n";
        fs::permissions(dir.File("viewer"), fs::perms(0755));
        setenv("KORVEL_VIEWER", dir.File("viewer").c_str(), 1);
    }
    ~BufferButton() override {
        std::ofstream(dir.File("release"));
        unsetenv("KORVEL_VIEWER");
    }
    std::string Listing() const { return (temp / "BUFFER.TXT").string(); }

    TempDir dir;
    const fs::path temp = dir.path() / "shared temp";
    RecordingHost host;
    CKorvelDlg dlg{host};
};

TEST_F(BufferButton, WritesTheListingAndStartsTheViewerWithoutWaiting) {
    dlg.OnClickBufferbutton();
    EXPECT_EQ(host.ActionTexts(), (Texts{"Dumping...", "Launching app...", "Ready."}));
    EXPECT_TRUE(host.boxes.empty());

    std::string listed = ReadText(Listing());
    const std::size_t dateStart = listed.find("\r\n") + 2;
    const std::size_t dateEnd = listed.find("\r\n", dateStart);
    EXPECT_TRUE(std::regex_match(listed.substr(dateStart, dateEnd - dateStart),
                                 std::regex("[A-Z][a-z]{2} [A-Z][a-z]{2} \\d\\d "
                                            "\\d\\d:\\d\\d:\\d\\d \\d{4}")));
    std::string expected = BufferListingText("[buffer]", "24C02", dlg.eebuf.data(), 256, {});
    expected.replace(dateStart, expected.find("\r\n", dateStart) - dateStart,
                     listed.substr(dateStart, dateEnd - dateStart));
    EXPECT_EQ(listed, expected);

    ASSERT_TRUE(AppearsSoon(dir.File("args")));
    std::istringstream args(ReadText(dir.File("args")));
    pid_t viewer = 0, parent = 0;
    int count = 0;
    std::string argument;
    args >> viewer >> parent >> count;
    std::getline(args.ignore(1), argument);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(argument, Listing());
    EXPECT_NE(parent, getpid());
    EXPECT_EQ(kill(viewer, 0), 0) << "the viewer still runs after the click";
    EXPECT_TRUE(NoChildLeft());
    std::ofstream(dir.File("release"));
    EXPECT_TRUE(AppearsSoon(dir.File("ended")));
}

TEST_F(BufferButton, ViewerThatCannotStartGoesUnreported) {
    setenv("KORVEL_VIEWER", dir.File("no-such-viewer").c_str(), 1);
    dlg.OnClickBufferbutton();
    EXPECT_EQ(host.ActionTexts(), (Texts{"Dumping...", "Launching app...", "Ready."}));
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_TRUE(fs::exists(Listing()));
    EXPECT_TRUE(NoChildLeft());
}

TEST_F(BufferButton, PlantedLinkOrMissingDirectoryIsRefused) {
    std::ofstream(dir.File("victim")) << "keep";
    fs::create_symlink(dir.File("victim"), Listing());
    dlg.OnClickBufferbutton();
    dlg.tempdir = dir.File("missing");
    dlg.OnClickBufferbutton();
    ASSERT_EQ(host.boxes.size(), 2u);
    for (const RecordedBox& box : host.boxes) {
        EXPECT_EQ(box.title + " " + std::to_string(box.style) + ": " + box.text,
                  "Error 0: Can't write the file");
    }
    EXPECT_EQ(host.ActionTexts(), (Texts{"Ready.", "Ready."}));
    EXPECT_EQ(ReadText(dir.File("victim")), "keep");
    EXPECT_TRUE(fs::is_symlink(Listing()));
    EXPECT_FALSE(fs::exists(dir.File("args")));
}

TEST_F(BufferButton, WriteErrorIsReportedAndTheOldListingKept) {
    std::ofstream(Listing()) << "old";
    dlg.device = 9;
    dlg.eebufsize = 32768;
    EXPECT_TRUE(PassesInChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{1000, RLIM_INFINITY};
        setrlimit(RLIMIT_FSIZE, &limit);
        dlg.OnClickBufferbutton();
        return host.boxes.size() == 1 && host.boxes[0].text == "Can't write the file" &&
               host.ActionTexts() == Texts{"Dumping...", "Ready."};
    }));
    EXPECT_EQ(ReadText(Listing()), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(temp), {}), 1);
}

}  // namespace
