// The buffer listing: its text against golden files, and the Buffer button on real files with a
// recording viewer.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/Launcher.h"
#include "programmer/ListingText.h"
#include "tests/support/BoardSession.h"

namespace korvel {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Texts = std::vector<std::string>;

std::tm At(const char* when) {
    std::tm time{};
    strptime(when, "%Y-%m-%d %H:%M:%S", &time);
    timegm(&time);  // sets the weekday
    return time;
}

std::string Golden(const char* name) {
    return ReadFileText(std::string(KORVEL_GOLDEN_DIR "/") + name);
}

TEST(ListingText, MatchesTheGoldenListings) {
    Bytes mixed(kImageBufferSize, 0xFF), blank(kImageBufferSize, 0xFF), large(kImageBufferSize);
    for (std::size_t i = 0; i < large.size(); ++i) {
        mixed[i] = i < 256 ? static_cast<std::uint8_t>(i) : 0xFF;
        large[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
    }
    const char format[] = "%s%n";
    std::copy(format, format + 4, mixed.begin() + 0xF0);
    EXPECT_EQ(BufferListingText("/home/ann/images/50%s.bin", "24C02", mixed.data(), 256,
                                At("2024-03-05 09:07:03")),
              Golden("listing-24c02.txt"));
    EXPECT_EQ(BufferListingText("[buffer]", "24C00", blank.data(), 16, At("2023-12-31 23:59:59")),
              Golden("listing-24c00.txt"));
    EXPECT_EQ(BufferListingText("/tmp/large.bin", "24C256", large.data(), 32768,
                                At("1970-01-01 00:00:00")),
              Golden("listing-24c256.txt"));
}

// The dialog with its listing directory, TEMP, in a temporary directory, a space in its name.
struct ListingDesk {
    ListingDesk() {
        fs::create_directory(dir.File("shared temp"));
        setenv("TEMP", dir.File("shared temp").c_str(), 1);
        dlg = std::make_unique<CKorvelDlg>(user);
        unsetenv("TEMP");
    }
    std::string Listing() const { return dir.File("shared temp/BUFFER.TXT"); }

    TempDir dir;
    ScriptedUser user;
    std::unique_ptr<CKorvelDlg> dlg;
};

TEST(BufferButton, WritesTheListingAndStartsTheViewerWithoutWaitingForIt) {
    ListingDesk desk;
    // Notes its pid and its arguments, then lives until the test removes its directory.
    std::ofstream(desk.dir.File("viewer"))
        << "#!/bin/sh\ncd '" << desk.dir.path().string() << "'\n"
        << "echo $$ > pid; printf '%s:%s' $# \"$1\" > args.tmp && mv args.tmp args\n"
        << "i=0; while [ -e pid ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i + 1)); done\n";
    fs::permissions(desk.dir.File("viewer"), fs::perms(0755));
    setenv("KORVEL_VIEWER", desk.dir.File("viewer").c_str(), 1);
    desk.dlg->OnSelchangeDeviceCombo(0);  // a 24C00
    desk.user.actions.clear();
    desk.dlg->OnClickBufferbutton();
    unsetenv("KORVEL_VIEWER");
    EXPECT_EQ(desk.user.actions, (Texts{"Dumping...", "Launching app...", "Ready."}));
    EXPECT_TRUE(desk.user.boxes.empty());
    // The listing of this image, but for its date, the second line.
    const auto undated = [](std::string text) { return text.erase(text.find('\n') + 1, 26); };
    EXPECT_EQ(undated(ReadFileText(desk.Listing())), undated(Golden("listing-24c00.txt")));

    for (int wait = 0; wait < 200 && !fs::exists(desk.dir.File("args")); ++wait) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(fs::exists(desk.dir.File("args")));
    EXPECT_EQ(ReadFileText(desk.dir.File("args")), "1:" + desk.Listing());
    const pid_t viewer = std::stoi(ReadFileText(desk.dir.File("pid")));
    EXPECT_EQ(kill(viewer, 0), 0) << "the viewer still runs after the click";
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "no child is left to reap";
}

// The viewer's start is known: a program that cannot be started says why, looked up in PATH or
// not, and nothing is left to reap either way.
TEST(Launcher, SaysWhyAProgramCouldNotStart) {
    TempDir dir;
    std::ofstream(dir.File("not-executable")) << "#!/bin/sh\n";
    const std::pair<std::string, const char*> refused[] = {
        {dir.File("missing"), "No such file or directory"},
        {dir.File("not-executable"), "Permission denied"},
        {"korvel-no-such-viewer", "No such file or directory"},
    };
    for (const auto& [program, why] : refused) {
        std::string problem;
        EXPECT_FALSE(StartDetached(program, "listing", problem)) << program;
        EXPECT_EQ(problem, why) << program;
    }
    std::string problem;
    EXPECT_TRUE(StartDetached("true", "listing", problem)) << problem;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1) << "no child is left to reap";
}

TEST(BufferButton, LinkPlantedAtTheListingIsNotFollowed) {
    ListingDesk desk;
    std::ofstream(desk.dir.File("victim")) << "keep";
    fs::create_symlink(desk.dir.File("victim"), desk.Listing());
    desk.dlg->OnClickBufferbutton();
    EXPECT_EQ(desk.user.boxes, Texts{"Error 0: Can't write the file\n" + desk.Listing() +
                                     ": a symbolic link, not followed"});
    EXPECT_EQ(desk.user.actions, Texts{"Ready."});
    EXPECT_EQ(ReadFileText(desk.dir.File("victim")), "keep");
    EXPECT_TRUE(fs::is_symlink(desk.Listing()));
}

}  // namespace

}  // namespace korvel
