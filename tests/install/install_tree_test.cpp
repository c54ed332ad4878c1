// What `cmake --install` lays out, checked file by file and by the desktop's own validators.
#include <gtest/gtest.h>

#include "tests/install/InstalledTree.h"
#include "tests/support/SimulatorProcess.h"

namespace korvel {

namespace {

class Installation : public InstalledTree {};

const char* const kDesktopEntry = "share/applications/org.example.korvel.Korvel.desktop";
const char* const kNoWindow = "built without the window (KORVEL_WINDOW=OFF): nothing to install";
const char* const kMetainfo = "share/metainfo/org.example.korvel.Korvel.metainfo.xml";

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
        EXPECT_EQ(Outcome(RunTool({Installed(std::string("bin/") + program), "--version"})),
                  "0: " + std::string(program) + " (Korvel) 3.0.0.0\n");
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

TEST_F(Installation, DesktopEntryNamesTheProgramAndPassesItsValidator) {
    if (!KORVEL_WINDOW) {
        GTEST_SKIP() << kNoWindow;
    }
    const std::string entry = ReadFileText(Installed(kDesktopEntry));
    for (const char* line :
         {"[Desktop Entry]", "Type=Application", "Name=Korvel", "GenericName=EEPROM programmer",
          "Exec=korvel", "Icon=org.example.korvel.Korvel", "Terminal=false",
          "Categories=Development;Electronics;"}) {
        EXPECT_NE(("\n" + entry).find("\n" + std::string(line) + "\n"), std::string::npos) << line;
    }
    const std::size_t comment = entry.find("\nComment=");
    EXPECT_TRUE(comment != std::string::npos && entry[comment + 9] != '\n') << "no comment";

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
    for (const char* element :
         {"<id>org.example.korvel.Korvel</id>",
          "<project_license>GPL-3.0-or-later</project_license>",
          "<launchable type=\"desktop-id\">org.example.korvel.Korvel.desktop</launchable>"}) {
        EXPECT_NE(metainfo.find(element), std::string::npos) << element;
    }

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
    // A PNG's signature, then its IHDR chunk, which comes first, with the width and the height.
    const std::string header("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16);
    const std::pair<const char*, std::string> icons[] = {
        {"48x48", std::string("\0\0\0\x30", 4)},
        {"64x64", std::string("\0\0\0\x40", 4)},
        {"128x128", std::string("\0\0\0\x80", 4)},
        {"256x256", std::string("\0\0\x01\0", 4)},
    };
    for (const auto& [folder, side] : icons) {
        const std::string png = ReadFileText(Installed(
            std::string("share/icons/hicolor/") + folder + "/apps/org.example.korvel.Korvel.png"));
        EXPECT_EQ(png.substr(0, 24), header + side + side) << folder;
    }
}

}  // namespace korvel
