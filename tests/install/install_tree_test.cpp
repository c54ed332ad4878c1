// What `cmake --install` lays out, checked file by file and by the desktop's own validators.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <sstream>

#include "tests/install/InstalledTree.h"
#include "tests/support/SimulatorProcess.h"

namespace korvel {

namespace {

class Installation : public InstalledTree {};

const char* const kDesktopEntry = "share/applications/org.example.korvel.Korvel.desktop";
const char* const kNoWindow = "built without the window (KORVEL_WINDOW=OFF): nothing to install";
const char* const kMetainfo = "share/metainfo/org.example.korvel.Korvel.metainfo.xml";

// The keys of a desktop entry's [Desktop Entry] group.
std::map<std::string, std::string> DesktopKeys(const std::string& text) {
    std::map<std::string, std::string> keys;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && line[0] != '#') {
            keys[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return keys;
}

// Width and height from a PNG's header: the signature, then the IHDR chunk, which comes first.
bool PngSize(const std::vector<std::uint8_t>& png, std::uint32_t& width, std::uint32_t& height) {
    const std::vector<std::uint8_t> start = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n',
                                             0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    if (png.size() < 24 || !std::equal(start.begin(), start.end(), png.begin())) {
        return false;
    }
    const auto word = [&](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 |
               std::uint32_t{png[at + 2]} << 8 | png[at + 3];
    };
    width = word(16);
    height = word(20);
    return true;
}

}  // namespace

TEST_F(Installation, AreTheProgramsAndTheirDesktopFilesAndNothingElse) {
    const std::vector<std::string> withWindow = {
        "bin/korvel",
        "bin/korvel-boardsim",
        "bin/korvel-cli",
        "share/applications/org.example.korvel.Korvel.desktop",
        "share/bash-completion/completions/korvel-boardsim",
        "share/bash-completion/completions/korvel-cli",
        "share/icons/hicolor/128x128/apps/org.example.korvel.Korvel.png",
        "share/icons/hicolor/256x256/apps/org.example.korvel.Korvel.png",
        "share/icons/hicolor/48x48/apps/org.example.korvel.Korvel.png",
        "share/icons/hicolor/64x64/apps/org.example.korvel.Korvel.png",
        "share/icons/hicolor/scalable/apps/org.example.korvel.Korvel.svg",
        "share/man/man1/korvel-boardsim.1",
        "share/man/man1/korvel-cli.1",
        "share/man/man1/korvel.1",
        "share/metainfo/org.example.korvel.Korvel.metainfo.xml",
    };
    const std::vector<std::string> withoutWindow = {
        "bin/korvel-boardsim",
        "bin/korvel-cli",
        "share/bash-completion/completions/korvel-boardsim",
        "share/bash-completion/completions/korvel-cli",
        "share/man/man1/korvel-boardsim.1",
        "share/man/man1/korvel-cli.1",
    };
    EXPECT_EQ(InstalledFiles(), KORVEL_WINDOW ? withWindow : withoutWindow);
}

TEST_F(Installation, ProgramsRunFromTheirInstalledPlace) {
    for (const char* program : {"korvel-cli", "korvel-boardsim"}) {
        const ToolRun run = RunTool({Installed(std::string("bin/") + program), "--version"});
        EXPECT_EQ(run.status, 0) << program << run.err;
        EXPECT_EQ(run.out, std::string(program) + " (Korvel) 3.0.0.0\n");
    }
}

TEST_F(Installation, ManPagesRenderWithoutWarnings) {
    if (!OnPath("groff")) {
        GTEST_SKIP() << "groff is not installed (Debian package groff-base)";
    }
    std::vector<std::string> pages = {"korvel-cli.1", "korvel-boardsim.1"};
    if (KORVEL_WINDOW) {
        pages.push_back("korvel.1");
    }
    for (const std::string& page : pages) {
        const ToolRun run =
            RunTool({"groff", "-man", "-ww", "-z", Installed("share/man/man1/" + page)});
        EXPECT_EQ(run.status, 0) << page;
        EXPECT_EQ(run.err, "") << page;
    }
}

TEST_F(Installation, DesktopEntryPassesItsValidatorAndStartsTheWindow) {
    if (!KORVEL_WINDOW) {
        GTEST_SKIP() << kNoWindow;
    }
    std::map<std::string, std::string> keys = DesktopKeys(ReadFileText(Installed(kDesktopEntry)));
    EXPECT_EQ(keys["Type"], "Application");
    EXPECT_EQ(keys["Name"], "Korvel");
    EXPECT_EQ(keys["GenericName"], "EEPROM programmer");
    EXPECT_EQ(keys["Exec"], "korvel");
    EXPECT_EQ(keys["Icon"], "org.example.korvel.Korvel");
    EXPECT_EQ(keys["Terminal"], "false");
    EXPECT_EQ(keys["Categories"], "Development;Electronics;");
    EXPECT_NE(keys["Comment"], "");

    if (!OnPath("desktop-file-validate")) {
        GTEST_SKIP()
            << "desktop-file-validate is not installed (Debian package desktop-file-utils)";
    }
    const ToolRun run = RunTool({"desktop-file-validate", Installed(kDesktopEntry)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");  // not even a hint
}

TEST_F(Installation, MetainfoPassesItsValidatorOffline) {
    if (!KORVEL_WINDOW) {
        GTEST_SKIP() << kNoWindow;
    }
    const std::string metainfo = ReadFileText(Installed(kMetainfo));
    EXPECT_NE(metainfo.find("<id>org.example.korvel.Korvel</id>"), std::string::npos);
    EXPECT_NE(metainfo.find("<project_license>GPL-3.0-or-later</project_license>"),
              std::string::npos);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">org.example.korvel.Korvel.desktop"
                            "</launchable>"),
              std::string::npos);

    if (!OnPath("appstreamcli")) {
        GTEST_SKIP() << "appstreamcli is not installed (Debian package appstream)";
    }
    const ToolRun run = RunTool({"appstreamcli", "validate", "--no-net", Installed(kMetainfo)});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    // Errors, warnings and infos are lines "E: ", "W: " and "I: "; only pedantic notes may stay.
    for (const char* mark : {"E: ", "W: ", "I: "}) {
        EXPECT_EQ(run.out.find(mark), std::string::npos) << run.out;
    }
}

TEST_F(Installation, IconsAreAsLargeAsTheirFoldersSay) {
    if (!KORVEL_WINDOW) {
        GTEST_SKIP() << kNoWindow;
    }
    const std::pair<const char*, std::uint32_t> folders[] = {
        {"48x48", 48}, {"64x64", 64}, {"128x128", 128}, {"256x256", 256}};
    for (const auto& [folder, size] : folders) {
        const std::string path = Installed(std::string("share/icons/hicolor/") + folder +
                                           "/apps/org.example.korvel.Korvel.png");
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        ASSERT_TRUE(PngSize(ReadFileBytes(path), width, height)) << path << " is no PNG";
        EXPECT_EQ(width, size) << folder;
        EXPECT_EQ(height, size) << folder;
    }
}

}  // namespace korvel
